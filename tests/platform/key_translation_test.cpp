// Keyboard, pointer, text and input-method events through the shared translator: the records
// a Windows window would have received, down to every lParam bit.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "plat/headless.h"
#include "plat/winmsg.h"
#include "platform/common/key_table.h"
#include "platform/common/translator.h"
#include "tests/support/headless_fixture.h"

namespace {

using plat::common::RawEvent;
using K = RawEvent::Kind;

struct Host : plat::common::TranslatorHost {
  plat::Point origin{100, 50};  // the client area's screen position
  plat::WindowId mainWindowId() override { return 1; }
  bool windowExists(plat::WindowId w) override { return w == 1; }
  bool windowAcceptsFiles(plat::WindowId) override { return false; }
  plat::Size windowClientSize(plat::WindowId) override { return {800, 600}; }
  uint32_t nowMs() override { return 0; }
  plat::Point clientToScreen(plat::WindowId, plat::Point p) override { return {p.x + origin.x, p.y + origin.y}; }
};

struct Rec {
  uint32_t message, wParam;
  uint32_t lParam;
  bool operator==(const Rec& o) const { return message == o.message && wParam == o.wParam && lParam == o.lParam; }
};
std::ostream& operator<<(std::ostream& os, const Rec& r) {
  const char* name = plat::messageName(r.message);
  return os << (name ? name : "?") << " " << std::hex << r.wParam << " " << r.lParam << std::dec;
}

uint16_t usage(const char* name) {
  const plat::common::KeyInfo* k = plat::common::keyByName(name);
  EXPECT_NE(k, nullptr) << name;
  return k ? k->usage : 0;
}

class KeyTranslation : public ::testing::Test {
 protected:
  Host host;
  std::unique_ptr<plat::common::Translator> tp = std::make_unique<plat::common::Translator>(host);
  plat::common::Translator& tr() { return *tp; }
  void fresh() { tp = std::make_unique<plat::common::Translator>(host); }

  void key(const char* name, bool down, bool repeat = false, int8_t numLock = -1) {
    RawEvent e(down ? K::KeyDown : K::KeyUp, 1);
    e.usage = usage(name);
    e.repeat = repeat;
    e.numLock = numLock;
    tr().feed(e);
  }
  void text(K kind, const std::string& utf8, int32_t cursor = 0) {
    RawEvent e(kind, 1);
    e.text = utf8;
    e.cursor = cursor;
    tr().feed(e);
  }
  void pointer(K kind, int32_t x, int32_t y, uint8_t button = 0) {
    RawEvent e(kind, 1, plat::Point{x, y});
    e.button = button;
    tr().feed(e);
  }
  void wheel(float notches, bool flipped = false) {
    RawEvent e(K::Wheel, 1);
    e.wheel = notches;
    e.flipped = flipped;
    tr().feed(e);
  }
  std::vector<Rec> take() {
    std::vector<Rec> out;
    plat::Msg m;
    while (tr().pop(m)) out.push_back(Rec{m.message, m.wParam, static_cast<uint32_t>(m.lParam)});
    return out;
  }
};

constexpr uint32_t EXT = 1u << 24, ALT = 1u << 29, PREV = 1u << 30, UP = 1u << 31;
using namespace plat;

TEST_F(KeyTranslation, KeysGiveTheirWindowsRecords) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, bool>> before;  // keys pressed first (records dropped)
    const char* key;
    bool down, repeat;
    int8_t numLock;
    std::vector<Rec> want;
  };
  const Case cases[] = {
      {"keypad 4, Num Lock on", {}, "KP_4", true, false, 1, {{WM_KEYDOWN, 0x64, 0x004B0001}}},
      {"keypad 4, Num Lock off", {}, "KP_4", true, false, 0, {{WM_KEYDOWN, 0x25, 0x004B0001}}},
      {"keypad 4 repeat", {{"KP_4", true}}, "KP_4", true, true, 1, {{WM_KEYDOWN, 0x64, 0x404B0001}}},
      {"left arrow", {}, "LEFT", true, false, -1, {{WM_KEYDOWN, 0x25, 0x014B0001}}},
      {"left arrow up", {{"LEFT", true}}, "LEFT", false, false, -1, {{WM_KEYUP, 0x25, 0xC14B0001}}},
      {"Alt+Enter", {{"LALT", true}}, "RETURN", true, false, -1, {{WM_SYSKEYDOWN, 13, 0x001C0001 | ALT}}},
      {"left Alt itself", {}, "LALT", true, false, -1, {{WM_SYSKEYDOWN, 18, 0x00380001 | ALT}}},
      {"right Alt (AltGr)", {}, "RALT", true, false, -1, {{WM_SYSKEYDOWN, 18, 0x00380001 | EXT | ALT}}},
      {"Print Screen down is dropped", {}, "PRINTSCREEN", true, false, -1, {}},
      {"Print Screen up", {{"PRINTSCREEN", true}}, "PRINTSCREEN", false, false, -1,
       {{WM_KEYUP, 44, 0x00370001 | EXT | PREV | UP}}},
      {"Pause", {}, "PAUSE", true, false, -1, {{WM_KEYDOWN, 19, 0x00450001}}},
      {"Num Lock", {}, "NUMLOCKCLEAR", true, false, 1, {{WM_KEYDOWN, 0x90, 0x00450001 | EXT}}},
      {"F10", {}, "F10", true, false, -1, {{WM_SYSKEYDOWN, 0x79, 0x00440001}}},
      {"F10 up", {{"F10", true}}, "F10", false, false, -1, {{WM_SYSKEYUP, 0x79, 0x00440001 | PREV | UP}}},
      {"keypad Enter", {}, "KP_ENTER", true, false, -1, {{WM_KEYDOWN, 13, 0x001C0001 | EXT}, {WM_CHAR, 13, 1}}},
      {"keypad /", {}, "KP_DIVIDE", true, false, -1, {{WM_KEYDOWN, 0x6F, 0x00350001 | EXT}}},
      {"right Ctrl", {}, "RCTRL", true, false, -1, {{WM_KEYDOWN, 17, 0x001D0001 | EXT}}},
      {"the 102nd key", {}, "NONUSBACKSLASH", true, false, -1, {{WM_KEYDOWN, 0xE2, 0x00560001}}},
      {"F12", {}, "F12", true, false, -1, {{WM_KEYDOWN, 0x7B, 0x00580001}}},
      {"menu key", {}, "APPLICATION", true, false, -1, {{WM_KEYDOWN, 0x5D, 0x005D0001 | EXT}}},
      {"a letter gives no character itself", {}, "A", true, false, -1, {{WM_KEYDOWN, 'A', 0x001E0001}}},
      {"a second down of a held key repeats", {{"A", true}}, "A", true, false, -1, {{WM_KEYDOWN, 'A', 0x401E0001}}},
      {"Escape", {}, "ESCAPE", true, false, -1, {{WM_KEYDOWN, 27, 0x00010001}, {WM_CHAR, 27, 1}}},
      {"Backspace repeat", {{"BACKSPACE", true}}, "BACKSPACE", true, true, -1,
       {{WM_KEYDOWN, 8, 0x400E0001}, {WM_CHAR, 8, 1}}},
      {"Tab", {}, "TAB", true, false, -1, {{WM_KEYDOWN, 9, 0x000F0001}, {WM_CHAR, 9, 1}}},
      {"Alt+Tab gives no character", {{"LALT", true}}, "TAB", true, false, -1,
       {{WM_SYSKEYDOWN, 9, 0x000F0001 | ALT}}},
      {"Ctrl+A", {{"LCTRL", true}}, "A", true, false, -1, {{WM_KEYDOWN, 'A', 0x001E0001}, {WM_CHAR, 1, 1}}},
      {"Ctrl+Z", {{"RCTRL", true}}, "Z", true, false, -1, {{WM_KEYDOWN, 'Z', 0x002C0001}, {WM_CHAR, 26, 1}}},
  };
  for (const Case& c : cases) {
    fresh();
    for (const auto& [name, down] : c.before) key(name, down, false, c.numLock);
    take();
    key(c.key, c.down, c.repeat, c.numLock);
    EXPECT_EQ(take(), c.want) << c.what;
  }
}

TEST_F(KeyTranslation, UnmappedKeysGiveNothingAndKeyStateFollowsTheRecords) {
  RawEvent e(K::KeyDown, 1);
  e.usage = 50;  // the non-US hash key
  tr().feed(e);
  e.usage = 300;  // past every table
  tr().feed(e);
  EXPECT_TRUE(take().empty());

  key("RALT", true);
  EXPECT_LT(tr().keyState(VK_MENU), 0);
  EXPECT_LT(tr().keyState(VK_RMENU), 0);
  EXPECT_EQ(tr().keyState(VK_LMENU), 0);
  key("RALT", false);
  EXPECT_EQ(tr().keyState(VK_MENU), 0);
  // Num Lock toggles by its own key when the backend does not say.
  EXPECT_EQ(tr().keyState(VK_NUMLOCK) & 1, 1);
  key("NUMLOCKCLEAR", true);
  key("NUMLOCKCLEAR", false);
  EXPECT_EQ(tr().keyState(VK_NUMLOCK) & 1, 0);
  take();
  key("KP_8", true);
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_KEYDOWN, 0x26, 0x00480001}}));  // up arrow's code
}

TEST_F(KeyTranslation, TextBecomesCodePage936CharactersInOrder) {
  key("RETURN", true);
  text(K::Text, "\xE4\xB8\xAD" "a");  // 中a
  text(K::Text, "\xF0\x9F\x98\x80");    // no code page 936 form
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_KEYDOWN, 13, 0x001C0001},
                                      {WM_CHAR, 13, 1},
                                      {WM_CHAR, 0xD6, 1},
                                      {WM_CHAR, 0xD0, 1},
                                      {WM_CHAR, 'a', 1},
                                      {WM_CHAR, '?', 1}}));
}

TEST_F(KeyTranslation, CompositionStartsComposesAndEndsBeforeItsCharacters) {
  text(K::Compose, "zh", 2);
  text(K::Compose, "\xE4\xB8\xAD", 1);
  EXPECT_TRUE(tr().composition().composing);
  EXPECT_EQ(tr().composition().textCp936, "\xD6\xD0");
  EXPECT_EQ(tr().composition().cursor, 2);  // one character: two bytes
  text(K::Text, "\xE4\xB8\xAD");
  text(K::Compose, "x", 1);
  text(K::Compose, "", 0);
  text(K::Compose, "", 0);  // no composition runs: nothing
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_IME_STARTCOMPOSITION, 0, 0},
                                      {WM_IME_COMPOSITION, 0, GCS_COMPSTR},
                                      {WM_IME_COMPOSITION, 0, GCS_COMPSTR},
                                      {WM_IME_ENDCOMPOSITION, 0, 0},
                                      {WM_CHAR, 0xD6, 1},
                                      {WM_CHAR, 0xD0, 1},
                                      {WM_IME_STARTCOMPOSITION, 0, 0},
                                      {WM_IME_COMPOSITION, 0, GCS_COMPSTR},
                                      {WM_IME_ENDCOMPOSITION, 0, 0}}));
  EXPECT_FALSE(tr().composition().composing);
}

TEST_F(KeyTranslation, PointerButtonsCarryTheFlagsAfterTheChange) {
  const uint32_t at = (21u << 16) | 11;
  pointer(K::PointerMove, 10, -3);
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_SETCURSOR, 1, HTCLIENT | (WM_MOUSEMOVE << 16)},
                                      {WM_MOUSEMOVE, 0, (0xFFFDu << 16) | 10}}));
  pointer(K::ButtonDown, 11, 21, 1);
  pointer(K::ButtonDown, 11, 21, 3);
  pointer(K::ButtonDown, 11, 21, 2);
  pointer(K::ButtonDown, 11, 21, 4);  // a side button: nothing
  pointer(K::ButtonUp, 11, 21, 1);
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_LBUTTONDOWN, MK_LBUTTON, at},
                                      {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, at},
                                      {WM_MBUTTONDOWN, MK_LBUTTON | MK_RBUTTON | MK_MBUTTON, at},
                                      {WM_LBUTTONUP, MK_RBUTTON | MK_MBUTTON, at}}));
  key("LSHIFT", true);
  key("RCTRL", true);
  take();
  pointer(K::ButtonUp, 11, 21, 3);
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_RBUTTONUP, MK_MBUTTON | MK_SHIFT | MK_CONTROL, at}}));
}

TEST_F(KeyTranslation, WheelSendsOneRecordPerWholeNotchInScreenCoordinates) {
  pointer(K::PointerMove, 40, 30);
  take();
  const uint32_t screen = ((30u + 50) << 16) | (40 + 100);
  const uint32_t forward = 120u << 16, back = 0xFF88u << 16;
  wheel(0.5f);
  EXPECT_TRUE(take().empty());
  wheel(0.5f);
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_MOUSEWHEEL, forward, screen}}));
  wheel(5);
  EXPECT_EQ(take().size(), 5u);
  wheel(1, true);  // flipped: back
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_MOUSEWHEEL, back, screen}}));
  wheel(-0.75f);
  wheel(-0.5f);  // -1.25: one back notch, -0.25 kept
  wheel(0.25f);
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_MOUSEWHEEL, back, screen}}));
  wheel(0.99f);
  EXPECT_TRUE(take().empty());
  // A wild amount is bounded, not a flood.
  wheel(1e30f);
  EXPECT_LE(take().size(), 64u);

  tr().feed(RawEvent(K::PointerLeave, 1));
  EXPECT_EQ(take(), (std::vector<Rec>{{WM_NCMOUSEMOVE, HTNOWHERE, screen}}));
}

// The script forms run through the same tables as the backend's events.
class ScriptedInput : public veldra_test::HeadlessTest {};

TEST_F(ScriptedInput, ScriptLinesBecomeTheSameRecords) {
  plat::EventScript s = plat::EventScript::parse(
      "0 KEYDOWN sdl_scancode_lshift\n"
      "0 KEYDOWN a\n"
      "0 TEXT A\n"
      "0 KEYUP A\n"
      "0 MOVE 5 6\n"
      "0 BUTTON down left 5 6\n"
      "0 WHEEL 1\n"
      "0 COMPOSE \xE4\xB8\xAD\n"
      "0 COMPOSE\n"
      "0 LEAVE\n"
      "0 WM_CLOSE\n");
  ASSERT_EQ(s.events.size(), 11u);
  plat::WindowDesc d;
  d.titleCp936 = "t";
  const plat::WindowId w = hp().windows().create(d);
  ASSERT_NE(w, plat::kNoWindow);
  plat::Msg m;
  while (hp().events().peek(m)) {
  }
  for (const plat::ScriptEvent& e : s.events) hp().schedule(e);
  std::vector<Rec> got;
  while (hp().events().peek(m)) got.push_back(Rec{m.message, m.wParam, static_cast<uint32_t>(m.lParam)});
  const plat::Point origin = hp().windows().clientToScreen(w, {0, 0});
  const uint32_t screen = static_cast<uint32_t>(((6 + origin.y) << 16) | (5 + origin.x));
  const uint32_t at = (6u << 16) | 5;
  EXPECT_EQ(got, (std::vector<Rec>{{WM_KEYDOWN, 16, 0x002A0001},
                                   {WM_KEYDOWN, 'A', 0x001E0001},
                                   {WM_CHAR, 'A', 1},
                                   {WM_KEYUP, 'A', 0xC01E0001},
                                   {WM_SETCURSOR, w, HTCLIENT | (WM_MOUSEMOVE << 16)},
                                   {WM_MOUSEMOVE, MK_SHIFT, at},
                                   {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at},
                                   {WM_MOUSEWHEEL, (120u << 16) | MK_LBUTTON | MK_SHIFT, screen},
                                   {WM_IME_STARTCOMPOSITION, 0, 0},
                                   {WM_IME_COMPOSITION, 0, GCS_COMPSTR},
                                   {WM_IME_ENDCOMPOSITION, 0, 0},
                                   {WM_NCMOUSEMOVE, HTNOWHERE, screen},
                                   {WM_CLOSE, 0, 0}}));
  EXPECT_LT(hp().events().keyState(VK_SHIFT), 0);
}

TEST_F(ScriptedInput, BadInputLinesAreRefusedWithTheirLine) {
  const char* bad[] = {"0 KEYDOWN NOSUCHKEY", "0 KEYDOWN",        "0 MOVE 1",          "0 MOVE 1 99999",
                       "0 BUTTON down side 1 2", "0 BUTTON held left 1 2", "0 WHEEL lots", "0 WHEEL nan",
                       "0 TEXT",             "0 LEAVE now"};
  for (const char* line : bad) {
    EXPECT_THROW(plat::EventScript::parse(std::string("# first\n") + line), std::invalid_argument) << line;
    try {
      plat::EventScript::parse(std::string("# first\n") + line);
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
  }
  // Text keeps its blanks but not the comment.
  plat::EventScript s = plat::EventScript::parse("7 TEXT a b # c");
  ASSERT_EQ(s.events.size(), 1u);
  EXPECT_EQ(s.events[0].input.text, "a b");
  EXPECT_EQ(s.events[0].atMs, 7u);
}

}  // namespace
