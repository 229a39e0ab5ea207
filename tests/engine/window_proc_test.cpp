// The main window's procedure: message records in, effects out.
#include <gtest/gtest.h>

#include <thread>

#include "client/game/game_running.h"
#include "client/sound/music_state.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_state.h"
#include "engine/input/input.h"
#include "engine/input/input_state.h"
#include "graphics/bitmap/screen_buffers.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

// What the stand-ins of DRAW were handed.
struct Seen {
  int display_switches = 0;
  int dest_rect_updates = 0;
  int presents = 0;
};
Seen seen;

void record_switch() { ++seen.display_switches; }
void record_dest_rect() { ++seen.dest_rect_updates; }

// What INPUT's key table A was fed since the snapshot: a key now down as its scan code, a key
// now up as its code | 0x80.
INPUT_KEYBOARD key_snapshot;
void snapshot_keys() { key_snapshot = input_state().keys; }
std::vector<uint8_t> keys_fed() {
  std::vector<uint8_t> out;
  for (int i = 0; i < INPUT_KEY_TABLE_SIZE; ++i) {
    const uint8_t was = key_snapshot.table_a[i], now = input_state().keys.table_a[i];
    if (!was && now) out.push_back(static_cast<uint8_t>(i));
    if (was && !now) out.push_back(static_cast<uint8_t>(i | 0x80));
  }
  return out;
}
int32_t record_present(BITMAP16*) {
  ++seen.presents;
  return 0;
}

class WindowProc : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    seen = Seen{};
    snapshot_keys();
    draw_stub_hooks().apply_display_mode = record_switch;
    draw_stub_hooks().update_dest_rect = record_dest_rect;
    scenario().exit_on_close = 0;
    scenario().modules = 1;
  }
  void TearDown() override {
    screen_buffers_free();
    EngineTest::TearDown();
  }

  // Runs body inside client_run, with the window created and the modules installed.
  void whileRunning(std::function<void()> body) {
    scenario().run_body = std::move(body);
    run_engine();
  }

  static int32_t send(uint32_t message, uint32_t wParam = 0, int32_t lParam = 0) {
    return engine_window_proc(plat::Msg{sys_main_window(), message, wParam, lParam, 0});
  }
};

TEST_F(WindowProc, CloseDestroysTheWindowUnlessTheGameMainTaskRuns) {
  struct Case {
    int32_t game;
    int32_t result;
    bool window_stays;
  };
  for (const Case c : {Case{0, 0, false}, Case{1, 1, true}}) {
    game_running = c.game;
    whileRunning([c] {
      EXPECT_EQ(send(plat::WM_CLOSE), c.result);
      EXPECT_EQ(sys_main_window() != plat::kNoWindow, c.window_stays) << "game running " << c.game;
    });
  }
}

TEST_F(WindowProc, CloseWithExitOnCloseEndsTheProcessWith0AfterTheHooks) {
  scenario().exit_on_close = 1;
  scenario().run_body = [] { send(plat::WM_CLOSE); };
  EXPECT_EQ(run_engine(), 0);
  EXPECT_EQ(scenario().calls,
            (std::vector<std::string>{"pre_init", "init", "run", "shutdown", "free:A"}));
}

TEST_F(WindowProc, SizeAndActivationSetTheActiveStateAndNotifyTheModules) {
  struct Case {
    uint32_t message, wParam, active;
  };
  const Case cases[] = {{plat::WM_SIZE, plat::SIZE_MINIMIZED, 0}, {plat::WM_SIZE, plat::SIZE_MAXHIDE, 0},
                        {plat::WM_SIZE, plat::SIZE_RESTORED, 1}, {plat::WM_ACTIVATEAPP, 0, 0},
                        {plat::WM_ACTIVATEAPP, 1, 1}};
  whileRunning([&cases] {
    for (const Case& c : cases) {
      scenario().notifies.clear();
      EXPECT_EQ(send(c.message, c.wParam), 0);
      EXPECT_EQ(sys_get_active_state(), c.active) << c.message << " " << c.wParam;
      EXPECT_EQ(scenario().notifies, std::vector<std::string>{"A" + std::to_string(c.active)});
    }
  });
  EXPECT_EQ(seen.dest_rect_updates, 3);
}

TEST_F(WindowProc, MusicEventFromAnotherThreadSetsTheFlag) {
  whileRunning([] {
    std::thread poster([] { plat::get().events().post(plat::kNoWindow, plat::WM_MUSIC_EVENT, 0, 0); });
    poster.join();
    EXPECT_EQ(music_event_flag, 0);
    sys_pump_messages();
    EXPECT_EQ(music_event_flag, 1);
  });
}

struct KeyCase {
  const char* name;
  uint32_t message;
  uint32_t vk;
  uint32_t lParam;
  uint8_t scan_code;  // what INPUT is handed
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class WindowProcKeypad : public WindowProc, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(WindowProcKeypad, OnlyAFirstPlainPressIsRemapped) {
  const KeyCase& c = GetParam();
  // A release is seen on a key that was down.
  if (c.scan_code & 0x80) input_state().keys.table_a[c.scan_code & 0x7F] = 1;
  snapshot_keys();
  whileRunning([&c] { send(c.message, c.vk, static_cast<int32_t>(c.lParam)); });
  EXPECT_EQ(keys_fed(), std::vector<uint8_t>{c.scan_code});
}

constexpr uint32_t kExtended = 1u << 24, kAlt = 1u << 29, kPrevious = 1u << 30, kUp = 1u << 31;

INSTANTIATE_TEST_SUITE_P(
    WindowProc, WindowProcKeypad,
    ::testing::Values(KeyCase{"Keypad4", plat::WM_KEYDOWN, 0x64, 0x4B0001, 0x05},
                      KeyCase{"Keypad6", plat::WM_KEYDOWN, 0x66, 0x4D0001, 0x07},
                      KeyCase{"Keypad8", plat::WM_KEYDOWN, 0x68, 0x480001, 0x09},
                      KeyCase{"Keypad2", plat::WM_SYSKEYDOWN, 0x62, 0x500001, 0x03},
                      KeyCase{"Repeat2", plat::WM_KEYDOWN, 0x64, 0x4B0002, 0x4B},
                      KeyCase{"Extended", plat::WM_KEYDOWN, 0x25, 0x4B0001 | kExtended, 0x4B},
                      KeyCase{"AltBit", plat::WM_SYSKEYDOWN, 0x64, 0x4B0001 | kAlt, 0x4B},
                      KeyCase{"PreviousState", plat::WM_KEYDOWN, 0x64, 0x4B0001 | kPrevious, 0x4B},
                      KeyCase{"KeyUp", plat::WM_KEYUP, 0x64, 0x4B0001 | kPrevious | kUp, 0xCB},
                      KeyCase{"OtherKey", plat::WM_KEYDOWN, 'A', 0x1E0001, 0x1E}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowProc, PrintScreenSavesOnReleaseOnly) {
  whileRunning([] {
    EXPECT_EQ(send(plat::WM_KEYDOWN, plat::VK_SNAPSHOT, 0x370001), 0);
    EXPECT_EQ(sys_screenshot_count(), 0u);
    EXPECT_EQ(send(plat::WM_KEYUP, plat::VK_SNAPSHOT, static_cast<int32_t>(0x370001 | kPrevious | kUp)), 1);
    EXPECT_EQ(sys_screenshot_count(), 1u);
  });
  // The press reaches INPUT, the release does not.
  EXPECT_EQ(keys_fed(), std::vector<uint8_t>{0x37});
}

TEST_F(WindowProc, AltEnterSwitchesTheDisplayUnlessTurnedOff) {
  struct Case {
    bool alt;
    int alt_enter;
    int32_t result;
    int switches;
    std::vector<uint8_t> scan_codes;
  };
  for (const Case& c : {Case{true, 1, 1, 1, {}}, Case{true, 0, 0, 0, {}}, Case{false, 1, 0, 0, {0x1C}}}) {
    input_flush();
    snapshot_keys();
    seen.display_switches = 0;
    platform().keys[plat::VK_MENU] = c.alt ? int16_t(-128) : int16_t(0);
    sys_set_alt_enter(c.alt_enter);
    plat::Rect saved, moved;
    whileRunning([&] {
      plat::get().windows().move(sys_main_window(), plat::Point{5, 7});
      moved = plat::get().windows().windowRect(sys_main_window());
      EXPECT_EQ(send(plat::WM_SYSKEYDOWN, plat::VK_RETURN, 0x1C0001 | kAlt), c.result);
      saved = engine_state().saved_rect;
    });
    EXPECT_EQ(seen.display_switches, c.switches);
    EXPECT_EQ(keys_fed(), c.scan_codes);
    // Windowed, the switch keeps the window's rectangle first.
    EXPECT_EQ(saved.left == moved.left && saved.top == moved.top, c.switches == 1);
  }
}

TEST_F(WindowProc, SystemMenuMoveIsSwallowedInFullScreenOnly) {
  struct Case {
    int display_mode;
    uint32_t command;
    int32_t result;
  };
  for (const Case& c : {Case{0, plat::SC_MOVE, 1}, Case{1, plat::SC_MOVE, 0}, Case{0, plat::SC_SIZE, 1},
                        Case{0, plat::SC_MAXIMIZE, 1}, Case{0, plat::SC_MONITORPOWER, 1},
                        Case{0, plat::SC_MINIMIZE, 0}}) {
    scenario().display_mode = c.display_mode;
    whileRunning([&c] { EXPECT_EQ(send(plat::WM_SYSCOMMAND, c.command), c.result) << std::hex << c.command; });
  }
}

TEST_F(WindowProc, MouseFilterTakesMessagesFirst) {
  whileRunning([] {
    EXPECT_EQ(send(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, (30 << 16) | 20), 0);
    EXPECT_EQ(input_get_event_u8(), 244);
    int32_t x = 0, y = 0;
    input_get_mouse_pos(&x, &y);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 30);
  });
}

TEST_F(WindowProc, CharactersGoToInput) {
  whileRunning([] { EXPECT_EQ(send(plat::WM_CHAR, 0xD6), 0); });
  ASSERT_EQ(input_get_char_count(), 1);
  EXPECT_EQ(input_get_char(0), 0xD6);
}

TEST_F(WindowProc, PaintPresentsTheBackBitmapOnceItExists) {
  draw_present_slot = record_present;
  whileRunning([] {
    EXPECT_EQ(send(plat::WM_PAINT), 0);
    EXPECT_EQ(seen.presents, 0);
    ASSERT_EQ(screen_buffers_create(), 0);
    EXPECT_EQ(send(plat::WM_PAINT), 0);
    EXPECT_EQ(seen.presents, 1);
  });
}

TEST_F(WindowProc, DestroyWithoutExitOnCloseForgetsTheWindow) {
  whileRunning([] {
    send(plat::WM_ACTIVATEAPP, 1);
    plat::get().windows().destroy(sys_main_window());
    EXPECT_EQ(sys_main_window(), plat::kNoWindow);
    EXPECT_EQ(sys_get_active_state(), 0u);
  });
  // The shutdown hook and the free hooks still ran once, on the normal road.
  EXPECT_EQ(scenario().count("shutdown"), 1);
  EXPECT_EQ(scenario().count("free:A"), 1);
}

}  // namespace
}  // namespace engine_test
