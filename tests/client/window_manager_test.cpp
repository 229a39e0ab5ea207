// The in-game window manager: the per-frame run of the two lists, ids and removal, the close
// requests and the nested runs that modal boxes cause, and the small helpers beside it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/common/chat_panel_fit.h"
#include "client/common/rect_overlap.h"
#include "client/game/task_table.h"
#include "client/window/debug_hooks.h"
#include "tests/client/message_box_fixture.h"
#include "ui/game_screen/modal_box.h"
#include "ui/game_screen/window_slots.h"

namespace {

using box_test::BoxTest;

struct Seen {
  int32_t id;
  uint8_t event;
};

std::vector<int32_t> g_draws;
std::vector<Seen> g_inputs;
int g_routes = 0;
int g_activations = 0;

void recordDraw() { g_draws.push_back(window_current_id); }
void recordInput() { g_inputs.push_back(Seen{window_current_id, frame_input.event_code}); }
void countRoute() { ++g_routes; }
void countActivation() { ++g_activations; }
void closeSelf() {
  g_draws.push_back(window_current_id);
  window_request_close(window_current_id);
}
void modalHandler() {}

class WindowManager : public BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    g_draws.clear();
    g_inputs.clear();
    g_routes = g_activations = 0;
    saved_route_ = window_route_edit_input;
    saved_activate_ = window_activate_chat_line;
    window_route_edit_input = countRoute;
    window_activate_chat_line = countActivation;
  }
  void TearDown() override {
    window_route_edit_input = saved_route_;
    window_activate_chat_line = saved_activate_;
    BoxTest::TearDown();
  }

  static void runBoth() {
    window_lists_run(0);
    window_lists_run(1);
  }

 private:
  void (*saved_route_)() = nullptr;
  void (*saved_activate_)() = nullptr;
};

// ---- the run ----------------------------------------------------------------------------------

struct Win {
  int32_t x0, y0, x1, y1;
  uint32_t user;
  uint8_t topmost;
};

struct RunCase {
  const char* name;
  std::vector<Win> windows;  // opened in this order; indices below refer to it
  int32_t mx, my;
  uint8_t event;
  bool minimised;
  int system_menu;  // index of the window in the system-menu slot, -1 none
  bool modal;       // a modal box is open
  int front;        // index of window_front_id after the run
  std::vector<int> draws;
  std::vector<std::pair<int, uint8_t>> inputs;  // index of the window, the event it saw
  uint8_t event_after;
};

const Win kA{0, 0, 100, 100, 0, 1}, kB{50, 50, 150, 150, 0, 1}, kC{200, 200, 300, 300, 0, 1};

TEST_F(WindowManager, Run) {
  const Win aFront{0, 0, 100, 100, 1, 1};
  const Win normal{0, 0, 200, 200, 0, 0}, popUp{50, 50, 150, 150, 0, 1};
  const std::vector<RunCase> cases = {
      {"click on a back window raises it and is used up", {kA, kB, kC}, 20, 20, 245, false, -1, false,
       0, {1, 2, 0}, {{0, 0}}, 0},
      {"click on the front window reaches it", {kA, kB, kC}, 250, 250, 245, false, -1, false,
       2, {0, 1, 2}, {{2, 245}}, 245},
      {"mouse outside the front window: no input", {kA, kB, kC}, 20, 20, 0, false, -1, false,
       2, {0, 1, 2}, {}, 0},
      {"a press code that raises nothing (243)", {kA, kB, kC}, 20, 20, 243, false, -1, false,
       2, {0, 1, 2}, {}, 243},
      {"bit 0 forces its window to the front", {aFront, kB, kC}, 250, 250, 245, false, -1, false,
       0, {1, 2, 0}, {}, 0},
      {"the system-menu slot overrides the clicked window", {kA, kB, kC}, 20, 20, 245, false, 1, false,
       1, {0, 2, 1}, {}, 0},
      {"minimised: nothing drawn, input delivered", {kA, kB, kC}, 250, 250, 245, true, -1, false,
       2, {}, {{2, 245}}, 245},
      {"a hover raises a back window", {kA, kB, kC}, 20, 20, 241, false, -1, false,
       0, {1, 2, 0}, {{0, 0}}, 0},
      {"a modal box: drawn, no routing, no input", {kA, kB, kC}, 250, 250, 245, false, -1, true,
       2, {0, 1, 2}, {}, 245},
      // The normal list's run compares the click with the pop-up's front id, raises its own
      // window and uses the click up before the pop-up sees it.
      {"a normal-list window under a pop-up", {normal, popUp}, 100, 100, 245, false, -1, false,
       1, {0, 1}, {{0, 0}, {1, 0}}, 0},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    window_manager_reset();
    window_slots_reset();
    std::vector<int32_t> ids;
    for (const Win& w : c.windows)
      ids.push_back(window_add(w.x0, w.y0, w.x1, w.y1, recordDraw, recordInput, w.user, w.topmost));
    // A quiet frame first, so that the front window is known.
    frame_input.raw_mouse_x = frame_input.raw_mouse_y = -100;
    frame_input.event_code = 0;
    runBoth();
    g_draws.clear();
    g_inputs.clear();
    g_routes = 0;

    if (c.system_menu >= 0) window_slots.ids[WINDOW_SYSTEM_MENU] = ids[c.system_menu];
    MODAL_BOX_HANDLER = c.modal ? modalHandler : nullptr;
    hp().setMinimised(window, c.minimised);
    frame_input.raw_mouse_x = c.mx;
    frame_input.raw_mouse_y = c.my;
    frame_input.event_code = c.event;
    runBoth();
    hp().setMinimised(window, false);
    MODAL_BOX_HANDLER = nullptr;

    EXPECT_EQ(window_front_id, ids[c.front]);
    std::vector<int32_t> draws;
    for (int i : c.draws) draws.push_back(ids[i]);
    EXPECT_EQ(g_draws, draws);
    ASSERT_EQ(g_inputs.size(), c.inputs.size());
    for (size_t i = 0; i < c.inputs.size(); ++i) {
      EXPECT_EQ(g_inputs[i].id, ids[c.inputs[i].first]);
      EXPECT_EQ(g_inputs[i].event, c.inputs[i].second);
    }
    EXPECT_EQ(frame_input.event_code, c.event_after);
    const int lists_with_windows = c.windows.front().topmost != c.windows.back().topmost ? 2 : 1;
    EXPECT_EQ(g_routes, c.modal ? 0 : lists_with_windows);
    EXPECT_EQ(window_current_id, -1);
  }
}

TEST_F(WindowManager, EmptyListRunsNothing) {
  window_add(0, 0, 10, 10, recordDraw, recordInput, 0, 1);
  window_front_id = 77;
  frame_input.event_code = 245;
  window_lists_run(0);
  EXPECT_TRUE(g_draws.empty());
  EXPECT_EQ(g_routes, 0);
  EXPECT_EQ(window_front_id, 77);
  EXPECT_EQ(frame_input.event_code, 245);
}

// ---- ids, removal and close requests ----------------------------------------------------------

TEST_F(WindowManager, Lifecycle) {
  // One counter for both lists, from 10, never reused.
  EXPECT_EQ(window_add(0, 0, 1, 1, nullptr, nullptr, 0, 0), 10);
  EXPECT_EQ(window_add(0, 0, 1, 1, nullptr, nullptr, 0, 1), 11);
  EXPECT_EQ(window_add(0, 0, 1, 1, nullptr, nullptr, 0, 0), 12);
  EXPECT_EQ(window_remove(12, 0), 0);
  EXPECT_EQ(window_remove(12, 0), -2);
  EXPECT_EQ(window_remove(11, 0), -2) << "11 lives in the other list";
  EXPECT_EQ(window_add(0, 0, 1, 1, nullptr, nullptr, 0, 1), 13);

  // The chat panel's caller-chosen id on the normal list.
  EXPECT_EQ(window_add_plain(5, 6, 7, 8, nullptr, nullptr, 0, kChatPanelWindowId), 1);
  int32_t rect[4] = {};
  uint32_t state = 99;
  ASSERT_EQ(window_get_rect(1, rect, &state, 0), 0);
  EXPECT_EQ(rect[0], 5);
  EXPECT_EQ(rect[3], 8);
  EXPECT_EQ(state, 0u);
  EXPECT_EQ(window_get_rect(1, rect, &state, 1), -2);

  // The state word always, the rectangle only when given; absent ids do nothing.
  window_set_rect(1, nullptr, 4, 0);
  const int32_t moved[4] = {1, 2, 3, 4};
  window_set_rect(1, moved, 9, 1);
  ASSERT_EQ(window_get_rect(1, rect, &state, 0), 0);
  EXPECT_EQ(state, 4u);
  EXPECT_EQ(rect[0], 5);

  // The head walk sees the normal list in order.
  std::vector<int32_t> walked;
  for (WINDOW_ENTRY* e = window_list_head()->next; e != window_list_head(); e = e->next) walked.push_back(e->id);
  EXPECT_EQ(walked, (std::vector<int32_t>{10, 1}));
  window_bring_to_front(10, 0);
  window_bring_to_front(55, 0);
  EXPECT_EQ(window_list(0).back().id, 10);
  EXPECT_EQ(window_list(0).size(), 2u);
}

TEST_F(WindowManager, AnyOpenCountsTheNormalListOnly) {
  EXPECT_FALSE(window_any_open());
  window_add(0, 0, 1, 1, nullptr, nullptr, 0, 1);
  EXPECT_FALSE(window_any_open());
  const int32_t id = window_add(0, 0, 1, 1, nullptr, nullptr, 0, 0);
  EXPECT_TRUE(window_any_open());
  window_remove(id, 0);
  EXPECT_FALSE(window_any_open());
}

TEST_F(WindowManager, EveryCloseRequestOfARunIsHonoured) {
  const int32_t a = window_add(0, 0, 10, 10, closeSelf, nullptr, 0, 1);
  const int32_t b = window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  const int32_t c = window_add(0, 0, 10, 10, closeSelf, nullptr, 0, 1);
  window_lists_run(1);
  EXPECT_EQ(g_draws, (std::vector<int32_t>{a, b, c}));
  ASSERT_EQ(window_list(1).size(), 1u);
  EXPECT_EQ(window_list(1)[0].id, b);
  EXPECT_TRUE(window_close_requests().empty());
}

TEST_F(WindowManager, ACloseRefocusesTheChatLineOnlyWithoutAMessageEntryWindow) {
  window_add(0, 0, 10, 10, closeSelf, nullptr, 0, 1);
  window_lists_run(1);
  EXPECT_EQ(g_activations, 1);
  window_lists_run(1);  // empty: nothing closes
  EXPECT_EQ(g_activations, 1);

  window_slots.ids[WINDOW_MESSAGE_ENTRY] = 30;
  window_add(0, 0, 10, 10, closeSelf, nullptr, 0, 1);
  window_lists_run(1);
  EXPECT_EQ(g_activations, 1);
  EXPECT_TRUE(window_list(1).empty());

  // No request, no refocus.
  window_slots.ids[WINDOW_MESSAGE_ENTRY] = -1;
  window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  window_lists_run(1);
  EXPECT_EQ(g_activations, 1);
}

// A draw callback opens a modal box; at its present a handler removes windows of both lists and
// the screen runs both lists again, all while the outer run still walks its snapshot.
int32_t g_nested_x = -1, g_nested_y = -1, g_nested_normal = -1;
bool g_box_open = false;

void nestingDraw() {
  g_draws.push_back(window_current_id);
  if (g_box_open) return;
  g_box_open = true;
  show_message_box("nested", 1);  // dismissed by a scheduled click
  g_box_open = false;
}

TEST_F(WindowManager, NestedRunsUnderAModalBox) {
  int presents = 0;
  g_nested_normal = window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 0);
  g_nested_x = window_add(0, 0, 10, 10, nestingDraw, nullptr, 0, 1);
  g_nested_y = window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  const int32_t z = window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  scheduleMessage(elapsedMs() + 100, plat::WM_LBUTTONUP, 0, (300 << 16) | 400);
  onPresent = [&] {
    ++presents;
    if (presents > 1) return;
    EXPECT_EQ(window_remove(g_nested_x, 1), 0);  // the window whose callback is running
    EXPECT_EQ(window_remove(g_nested_y, 1), 0);
    window_lists_run(0);
    EXPECT_EQ(window_remove(g_nested_normal, 0), 0);
    window_lists_run(1);
    window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  };
  window_lists_run(1);
  onPresent = nullptr;
  ASSERT_GE(presents, 1);
  // Outer: x; nested: the normal window, then z; outer again: y skipped, z.
  EXPECT_EQ(g_draws, (std::vector<int32_t>{g_nested_x, g_nested_normal, z, z}));
  ASSERT_EQ(window_list(1).size(), 2u);
  EXPECT_EQ(window_list(1)[0].id, z);
  EXPECT_TRUE(window_list(0).empty());
  EXPECT_EQ(window_current_id, -1);
}

// ---- overlap, debug hooks, the chat panel -----------------------------------------------------

TEST_F(WindowManager, HitTestFindsTheFirstOverlappingNormalWindow) {
  const int32_t a = window_add(0, 0, 100, 100, nullptr, nullptr, 0, 0);
  const int32_t b = window_add(50, 50, 150, 150, nullptr, nullptr, 0, 0);
  window_add(400, 400, 500, 500, nullptr, nullptr, 0, 1);  // pop-ups are not tested
  struct Probe {
    int32_t r[4];
    int32_t expected;
  };
  const Probe probes[] = {
      {{100, 0, 120, 10}, -2},  // touches a's right edge only
      {{0, 100, 10, 120}, -2},  // touches a's bottom edge only
      {{99, 99, 101, 101}, a},  // both overlap: the first from the head
      {{120, 120, 130, 130}, b},
      {{-10, -10, 1, 1}, a},
      {{410, 410, 420, 420}, -2},
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(testing::Message() << p.r[0] << "," << p.r[1] << "-" << p.r[2] << "," << p.r[3]);
    EXPECT_EQ(window_hit_test(p.r[0], p.r[1], p.r[2], p.r[3]), p.expected);
  }
  const int32_t big[4] = {-1000, -1000, 1000, 1000}, inner[4] = {1, 1, 2, 2};
  EXPECT_TRUE(rect_overlap_test(big, inner));
  EXPECT_TRUE(rect_overlap_test(inner, big));
}

std::string g_hook_order;
void hookOne() { g_hook_order += '1'; }
void hookTwo() { g_hook_order += '2'; }

TEST_F(WindowManager, DebugHooks) {
  g_hook_order.clear();
  EXPECT_EQ(debug_hook_add(7, hookTwo), 0);
  EXPECT_EQ(debug_hook_add(0, hookOne), 0);
  EXPECT_EQ(debug_hook_add(7, hookOne), -2);
  debug_hooks_run();
  debug_hooks_run();
  EXPECT_EQ(g_hook_order, "2121");
  EXPECT_EQ(debug_hook_calls(7), 2);
  EXPECT_EQ(debug_hook_calls(0), 2);
  EXPECT_EQ(debug_hook_calls(3), -1);
}

TEST_F(WindowManager, ChatPanelFitsItsLines) {
  chat_panel_fit_lines();  // closed: nothing
  window_add_plain(10, 300, 400, 500, nullptr, nullptr, 0, kChatPanelWindowId);
  window_set_rect(kChatPanelWindowId, nullptr, 6, 0);
  chat_panel_fit_lines();
  int32_t rect[4];
  uint32_t state = 0;
  ASSERT_EQ(window_get_rect(kChatPanelWindowId, rect, &state, 0), 0);
  EXPECT_EQ(rect[0], 10);
  EXPECT_EQ(rect[1], 500 - 4 * 20 - 25);
  EXPECT_EQ(rect[2], 400);
  EXPECT_EQ(rect[3], 500);
  EXPECT_EQ(state, 6u);
}

}  // namespace
