// Message boxes, system messages and pop-up message windows, headless.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/common/outlined_text.h"
#include "engine/input/input.h"
#include "plat/test.h"
#include "tests/client/message_box_fixture.h"

namespace {

using box_test::BoxTest;

// ---- width and drawing ------------------------------------------------------------------------

using MessageBox = BoxTest;

TEST_F(MessageBox, Width) {
  struct Case {
    const char* text;
    int32_t width;
  } cases[] = {
      {"12345678901234567890", 152},
      {"~C4abc~C0", 50},
      {"", 32},
      {"~~~~", 12},         // four tildes count as twelve characters: signed, then clamped
      {"~~~~~~~~~~~~", 12},
      {"~", 20},             // 1 - 3 = -2 characters
      {"ab", 44},
      {"\xD6\xD0\xCE\xC4", 56},  // a code page 936 character counts 12 pixels
      {nullptr, 32},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(message_box_width(c.text), c.width) << (c.text ? c.text : "(null)");
  }
  EXPECT_EQ(400 - message_box_width("12345678901234567890") / 2, 324);
}

TEST_F(MessageBox, DrawsFillOutlineAndYellowText) {
  paintPattern();
  const uint16_t white = pixel_ops.pack_rgb(0xFFFFFF), yellow = pixel_ops.pack_rgb(0xFFFF00),
                 black = pixel_ops.pack_rgb(0x000000);
  message_box_draw(324, 278, 152, "a", screen_back);
  // Inside the box but off the outline and the text: black blended at 128 over the picture.
  uint16_t blended = patternAt(326, 279);
  pixel_ops.blend(&black, &blended, 128);
  EXPECT_EQ(screen_back->rows[279][326], blended);
  // The outline (x + 2, y + 2, width - 4, 40).
  EXPECT_EQ(screen_back->rows[280][326], white);
  EXPECT_EQ(screen_back->rows[280][473], white);
  EXPECT_EQ(screen_back->rows[319][400], white);
  EXPECT_EQ(screen_back->rows[300][326], white);
  EXPECT_NE(screen_back->rows[300][327], white);
  // The text at (x + 16, y + 16) in yellow (the fake draws 'a' as a 6 x 12 block).
  EXPECT_EQ(screen_back->rows[294][340], yellow);
  EXPECT_EQ(screen_back->rows[305][345], yellow);
  EXPECT_NE(screen_back->rows[294][346], yellow);
  // Outside: untouched.
  EXPECT_EQ(screen_back->rows[277][400], patternAt(400, 277));
  EXPECT_EQ(screen_back->rows[322][400], patternAt(400, 322));
  EXPECT_EQ(screen_back->rows[300][323], patternAt(323, 300));
  // Colour 0 is white again; the current index is kept.
  EXPECT_EQ(winfont_state().colours[0], white);
}

TEST_F(MessageBox, TextDrawnWithAnotherColourIndexIsNotYellow) {
  font_draw_text(0, 0, "~C2", 1, nullptr);
  message_box_draw(324, 278, 152, "a", screen_back);
  EXPECT_EQ(screen_back->rows[294][340], winfont_state().colours[2]);
  font_draw_text(0, 0, "~C0", 1, nullptr);
}

TEST_F(MessageBox, WithoutWaitLogsDrawsAndRunsOneFrame) {
  paintPattern();
  show_message_box("World server is disconnected", 0);
  EXPECT_EQ(frame_counter(), 1u);
  EXPECT_NE(errorTxt().find("World server is disconnected\r\n"), std::string::npos);
  // The saved screen holds the picture from before the box.
  EXPECT_EQ(screen_saved->rows[300][400], patternAt(400, 300));
  EXPECT_NE(screen_back->rows[300][400], patternAt(400, 300));
  // A text with a percent sign is logged as it is.
  show_message_box("100%s done %n", 0);
  EXPECT_NE(errorTxt().find("100%s done %n\r\n"), std::string::npos);
}

// The loop draws over the saved screen each frame and returns one frame after the dismissal.
struct Dismissal {
  const char* what;
  uint32_t message, wParam;
  int32_t lParam;
  bool dismisses;
  uint8_t code;  // the frame's key code, or its event code for the mouse
};

class MessageBoxLoop : public BoxTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.maxDrains = 400; }
};

const Dismissal kDismissals[] = {
    {"Enter", plat::WM_KEYDOWN, 0x0D, 0x001C0001, true, 13},
    {"Esc", plat::WM_KEYDOWN, 0x1B, 0x00010001, true, 27},
    {"Space", plat::WM_KEYDOWN, 0x20, 0x00390001, true, 32},
    {"click", plat::WM_LBUTTONUP, 0, (300 << 16) | 400, true, 245},
    {"cancel", plat::WM_RBUTTONUP, 0, (300 << 16) | 400, true, 248},
    {"F1", plat::WM_KEYDOWN, 0x70, 0x003B0001, false, 59},
};

TEST_F(MessageBoxLoop, ModalLoop) {
  for (const Dismissal& d : kDismissals) {
    SCOPED_TRACE(d.what);
    presented.clear();
    input_clear_key();
    input_clear_keys();
    paintPattern();
    const uint32_t at = elapsedMs() + 200;
    scheduleMessage(at, d.message, d.wParam, d.lParam);
    if (d.message == plat::WM_KEYDOWN) scheduleMessage(at + 100, plat::WM_KEYUP, d.wParam, d.lParam | 0xC0000000);
    const int32_t width = message_box_width("Press a key");
    const int32_t x = 400 - width / 2;
    bool pictureKept = true;
    onPresent = [&] {
      for (int y = 0; y < 600; y += 7)
        for (int px = 0; px < 800; px += 5) {
          const bool inBox = px >= x && px < x + width && y >= 278 && y < 278 + 44;
          if (!inBox && screen_back->rows[y][px] != patternAt(px, y)) pictureKept = false;
        }
    };
    const uint64_t start = frame_counter();
    bool returned = false;
    try {
      show_message_box("Press a key", 1);
      returned = true;
    } catch (const plat::test::FrameBudgetExceeded&) {
    }
    onPresent = nullptr;
    EXPECT_TRUE(pictureKept);
    EXPECT_EQ(returned, d.dismisses);
    if (!returned) {
      // The key reached the loop on many frames and was cleared each time.
      int frames = 0;
      for (const box_test::PresentedFrame& f : presented) frames += f.key_code == d.code;
      EXPECT_GT(frames, 0);
      break;  // the budget is spent: the last case
    }
    // The frame that saw the dismissal, then exactly one more frame step.
    uint64_t seen = 0;
    for (const box_test::PresentedFrame& f : presented)
      if (!seen && (f.event_code == 245 || f.event_code == 248 || f.key_code != 0)) {
        seen = f.frame;
        EXPECT_EQ(d.message == plat::WM_KEYDOWN ? f.key_code : f.event_code, d.code);
      }
    ASSERT_NE(seen, 0u);
    EXPECT_EQ(frame_counter(), seen + 1);
    EXPECT_GT(seen, start + 1);
  }
  EXPECT_NE(errorTxt().find("Press a key\r\n"), std::string::npos);
}

TEST_F(MessageBoxLoop, NullTextDrawsAndLogsNothingButWaits) {
  paintPattern();
  const std::string logBefore = errorTxt();
  scheduleMessage(elapsedMs() + 300, plat::WM_LBUTTONUP, 0, (10 << 16) | 10);
  show_message_box(nullptr, 1);
  EXPECT_GE(elapsedMs(), 300u);
  EXPECT_EQ(errorTxt(), logBefore);
  for (int y = 0; y < 600; y += 11)
    for (int x = 0; x < 800; x += 13) ASSERT_EQ(screen_back->rows[y][x], patternAt(x, y));
  EXPECT_FALSE(presented.empty());
}

TEST_F(MessageBoxLoop, ColourZeroIsWhiteAfterTheBudgetUnwindsTheBox) {
  EXPECT_THROW(show_message_box("stuck", 1), plat::test::FrameBudgetExceeded);
  EXPECT_EQ(winfont_state().colours[0], pixel_ops.pack_rgb(0xFFFFFF));
}

// ---- system messages --------------------------------------------------------------------------

using SystemMessage = BoxTest;

TEST_F(SystemMessage, Deadline) {
  paintPattern();
  const std::string logBefore = errorTxt();
  const uint32_t t0 = hp().clock().ms();
  show_system_message("Server maintenance soon", 1);
  const uint32_t t1 = hp().clock().ms();
  // Closes on the first frame after the clock passed t0 + 10000, then one more frame.
  EXPECT_GT(t1 - t0, 10000u);
  EXPECT_LT(t1 - t0, 10000u + 3 * 31 + 5);
  EXPECT_EQ(system_message_deadline, t0 + 10000);
  EXPECT_EQ(errorTxt(), logBefore);  // not logged
  ASSERT_FALSE(presented.empty());
  // Drawn at y = 228 over the saved picture.
  const int32_t x = 400 - message_box_width("Server maintenance soon") / 2;
  EXPECT_EQ(screen_back->rows[230][x + 2], pixel_ops.pack_rgb(0xFFFFFF));
  EXPECT_EQ(screen_back->rows[227][x + 2], patternAt(x + 2, 227));
}

TEST_F(SystemMessage, ClickClosesItEarly) {
  scheduleMessage(elapsedMs() + 500, plat::WM_LBUTTONUP, 0, (300 << 16) | 400);
  const uint32_t t0 = hp().clock().ms();
  show_system_message("click me", 1);
  EXPECT_LT(hp().clock().ms() - t0, 1000u);
}

TEST_F(SystemMessage, WithoutWaitOpensAPopUp) {
  show_system_message("pop", 0);
  EXPECT_EQ(frame_counter(), 0u);
  ASSERT_EQ(window_list(1).size(), 1u);
  EXPECT_EQ(message_slots[0].in_use, 1);
  EXPECT_STREQ(message_slots[0].text, "pop");
  // The world message's adapter: the text up to its NUL, bounded by the length.
  const uint8_t payload[] = {'h', 'i', 0, 'x', 'y'};
  system_message_from_payload(payload, sizeof payload);
  EXPECT_STREQ(message_slots[1].text, "hi");
  const uint8_t unterminated[] = {'a', 'b', 'c'};
  system_message_from_payload(unterminated, 2);
  EXPECT_STREQ(message_slots[2].text, "ab");
  EXPECT_EQ(window_list(1).size(), 3u);
}

// ---- pop-up windows ---------------------------------------------------------------------------

using MessageWindow = BoxTest;

TEST_F(MessageWindow, Cascade) {
  const int32_t w = message_box_width("hello");
  for (int i = 0; i < 27; ++i) message_window_open("hello");
  EXPECT_EQ(message_slots[0].x, 400 - w / 2);
  EXPECT_EQ(message_slots[0].y, 278);
  EXPECT_EQ(message_slots[1].x, 412 - w / 2);
  EXPECT_EQ(message_slots[1].y, 290);
  EXPECT_EQ(message_slots[25].x, 700 - w / 2);  // the 26th at offset 300
  EXPECT_EQ(message_slots[25].y, 578);
  EXPECT_EQ(message_slots[26].x, 400 - w / 2);  // the 27th at the centre again
  EXPECT_EQ(message_slots[26].y, 278);

  // Each slot's window: the rectangle, top-most, its state word naming the slot.
  const std::vector<WINDOW_ENTRY>& list = window_list(1);
  ASSERT_EQ(list.size(), 27u);
  EXPECT_EQ(list[1].x0, message_slots[1].x);
  EXPECT_EQ(list[1].y1, message_slots[1].y + 44);
  EXPECT_EQ(list[1].x1, message_slots[1].x + w);
  EXPECT_EQ(list[1].state, 1u);
  EXPECT_EQ(list[1].draw, &message_window_draw);
  EXPECT_EQ(list[1].input, &message_window_input);
  EXPECT_EQ(static_cast<int32_t>(message_slots[1].window_id), list[1].id);
  EXPECT_TRUE(window_list(0).empty());

  // With every slot free the cascade starts at the centre again.
  message_window_open("x");
  EXPECT_EQ(message_slots[27].y, 290);
  for (MESSAGE_SLOT& s : message_slots) s.in_use = 0;
  message_window_open("x");
  EXPECT_EQ(message_slots[0].y, 278);
}

TEST_F(MessageWindow, ExpiryAfter3000Ms) {
  frame_input.frame_time = 50000;
  message_window_open("bye");
  EXPECT_EQ(message_slots[0].open_time, 50000u);
  frame_input.frame_time = 53000;
  window_lists_run(1);
  EXPECT_EQ(message_slots[0].in_use, 1);
  ASSERT_EQ(window_list(1).size(), 1u);
  // Drawn: the one-pixel frame and the text at (x0 + 16, y0 + 16).
  const int32_t x0 = message_slots[0].x, y0 = message_slots[0].y;
  EXPECT_EQ(screen_back->rows[y0][x0], pixel_ops.pack_rgb(0xFFFFFF));
  EXPECT_EQ(screen_back->rows[y0 + 16][x0 + 16], winfont_state().colours[0]);
  frame_input.frame_time = 53001;
  window_lists_run(1);
  EXPECT_EQ(message_slots[0].in_use, 0);
  EXPECT_TRUE(window_list(1).empty());
}

TEST_F(MessageWindow, CancelAndDrag) {
  message_window_open("first");
  message_window_open("second");
  const MESSAGE_SLOT second = message_slots[1];
  window_lists_run(1);  // the front window is known from the previous run
  // A press over the front window starts its drag; the event is used up.
  frame_input.raw_mouse_x = second.x + 5;
  frame_input.raw_mouse_y = second.y + 7;
  frame_input.event_code = 242;
  window_lists_run(1);
  EXPECT_EQ(window_drag.id, static_cast<int32_t>(second.window_id));
  EXPECT_EQ(window_drag.offset_x, 5);
  EXPECT_EQ(window_drag.offset_y, 7);
  EXPECT_EQ(frame_input.event_code, 0);
  // A cancel over it closes it and frees its slot.
  frame_input.event_code = 248;
  window_lists_run(1);
  EXPECT_EQ(message_slots[1].in_use, 0);
  ASSERT_EQ(window_list(1).size(), 1u);
  EXPECT_EQ(window_list(1)[0].id, static_cast<int32_t>(message_slots[0].window_id));
  EXPECT_EQ(frame_input.event_code, 0);
}

TEST_F(MessageWindow, StaleAndSimultaneousClosures) {
  frame_input.frame_time = 1000;
  message_window_open("old");
  const int32_t old_id = static_cast<int32_t>(message_slots[0].window_id);
  // The slot is freed behind the window's back and taken by a newer pop-up.
  message_slots[0].in_use = 0;
  message_window_open("new");
  ASSERT_EQ(static_cast<int32_t>(message_slots[0].window_id), old_id + 1);
  window_lists_run(1);
  ASSERT_EQ(window_list(1).size(), 1u);
  EXPECT_EQ(window_list(1)[0].id, old_id + 1);
  EXPECT_EQ(message_slots[0].in_use, 1);

  // Two pop-ups expiring in the same frame both close.
  message_window_open("second");
  frame_input.frame_time = 9000;
  window_lists_run(1);
  EXPECT_TRUE(window_list(1).empty());
  for (const MESSAGE_SLOT& s : message_slots) EXPECT_EQ(s.in_use, 0);
}

TEST_F(MessageWindow, LongTextIsCutOnACharacterBoundary) {
  std::string text = "a";
  for (int i = 0; i < 600; ++i) text += "\xD6\xD0";
  message_window_open(text.c_str());
  EXPECT_EQ(std::string(message_slots[0].text), text.substr(0, 1023));
  message_window_open(text.c_str() + 1);
  EXPECT_EQ(std::string(message_slots[1].text), text.substr(1, 1022));
}

TEST_F(MessageWindow, FullTableFallsBackToAModalBox) {
  for (int i = 0; i < MESSAGE_SLOTS; ++i) message_window_open("many");
  ASSERT_EQ(window_list(1).size(), 100u);
  scheduleMessage(elapsedMs() + 100, plat::WM_LBUTTONUP, 0, (300 << 16) | 400);
  message_window_open("the 101st");
  EXPECT_EQ(window_list(1).size(), 100u);
  EXPECT_NE(errorTxt().find("the 101st\r\n"), std::string::npos);
  EXPECT_GT(frame_counter(), 2u);
}

// ---- the window manager's nested removal ------------------------------------------------------

std::vector<int32_t>& drawn() {
  static std::vector<int32_t> d;
  return d;
}
int32_t g_victim = -1;

void recordDraw() { drawn().push_back(window_current_id); }
// Stands for a box whose frame steps run handlers that close windows: the callback's own window
// and a later one go while the run is under way, and new windows are added.
void removingDraw() {
  drawn().push_back(window_current_id);
  window_remove(window_current_id, 1);
  window_remove(g_victim, 1);
  for (int i = 0; i < 20; ++i) window_add(0, 0, 1, 1, recordDraw, nullptr, 0, 1);
  show_message_box(nullptr, 0);  // one frame step from inside the callback
}

TEST_F(MessageWindow, NestedRemovalIsDeferred) {
  drawn().clear();
  const int32_t a = window_add(0, 0, 10, 10, removingDraw, nullptr, 0, 1);
  const int32_t b = window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  const int32_t c = window_add(0, 0, 10, 10, recordDraw, nullptr, 0, 1);
  g_victim = b;
  EXPECT_EQ(a, 10);
  window_lists_run(1);
  // a drew and went, b never drew, c drew; the windows added during the run wait for the next.
  EXPECT_EQ(drawn(), (std::vector<int32_t>{a, c}));
  ASSERT_EQ(window_list(1).size(), 21u);
  EXPECT_EQ(window_list(1)[0].id, c);
  EXPECT_EQ(window_remove(a, 1), -2);
  EXPECT_EQ(window_remove(c, 1), 0);
  EXPECT_EQ(window_list(1).size(), 20u);
}

// ---- outlined text ----------------------------------------------------------------------------

using OutlinedText = BoxTest;

TEST_F(OutlinedText, BlackAroundThenColourThenWhite) {
  bitmap16_fill(screen_back, 0x1234);
  const uint16_t red = pixel_ops.pack_rgb(0xFF0000);
  font_draw_text(0, 0, "~Z3", 1, nullptr);
  draw_outlined_text(100, 100, red, ".");
  // The fake's dot at (101, 101) in red, its four neighbours in black.
  EXPECT_EQ(screen_back->rows[101][101], red);
  EXPECT_EQ(screen_back->rows[101][100], 0);
  EXPECT_EQ(screen_back->rows[101][102], 0);
  EXPECT_EQ(screen_back->rows[100][101], 0);
  EXPECT_EQ(screen_back->rows[102][101], 0);
  EXPECT_EQ(screen_back->rows[100][100], 0x1234);
  EXPECT_EQ(winfont_state().colours[0], pixel_ops.pack_rgb(0xFFFFFF));
  EXPECT_EQ(winfont_state().colour_index, 0);
  EXPECT_EQ(winfont_state().font_slot, 0);  // "~Z1" each time
}

}  // namespace
