// INPUT's keyboard: the key tables fed with scan-code bytes, the key queries, the clears and
// the typed characters; and keys arriving as the platform translates them.
#include <gtest/gtest.h>

#include <set>

#include "tests/engine/input_fixture.h"

namespace engine_test {
namespace {

using InputKeyboard = InputTest;

std::set<int> down_in(const uint8_t* table) {
  std::set<int> out;
  for (int i = 0; i < INPUT_KEY_TABLE_SIZE; ++i)
    if (table[i]) out.insert(i);
  return out;
}

TEST_F(InputKeyboard, ScanCodeBytesSetAndReleaseTheTables) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    std::set<int> a, b;
    uint16_t latch;
    uint8_t prefix;
  };
  const Case cases[] = {
      {"a down", {30}, {30}, {}, 0, 0},
      {"a down and up", {30, 158}, {}, {}, 0, 0},
      {"release of a key not down", {158}, {}, {}, 0, 0},
      {"Esc sets the latch", {1}, {1}, {}, 1, 0},
      {"the latch outlives Esc's release", {1, 129}, {}, {}, 1, 0},
      {"extended up arrow", {224, 72}, {}, {72}, 0, 0},
      {"extended up arrow and its release", {224, 72, 224, 200}, {}, {}, 0, 0},
      {"a prefix waits for its byte", {224}, {}, {}, 0, 224},
      {"Pause, first half", {225, 29, 69}, {}, {69}, 0, 0},
      {"Pause, whole", {225, 29, 69, 225, 157, 197}, {}, {}, 0, 0},
      {"89 is past the tables", {89}, {}, {}, 0, 0},
      {"91 down", {91}, {}, {}, 0, 0},
      {"219 (91 up)", {30, 219}, {30}, {}, 0, 0},
      {"extended 91 is ignored and ends the prefix", {224, 91, 30}, {30}, {}, 0, 0},
      {"extended 219 likewise", {224, 219}, {}, {}, 0, 0},
      {"88 is the last kept", {88, 224, 88}, {88}, {88}, 0, 0},
  };
  for (const Case& c : cases) {
    input_module_reset();
    for (uint8_t b : c.bytes) input_feed_scan_code(b);
    const INPUT_KEYBOARD& k = input_state().keys;
    EXPECT_EQ(down_in(k.table_a), c.a) << c.what;
    EXPECT_EQ(down_in(k.table_b), c.b) << c.what;
    EXPECT_EQ(k.escape_latch, c.latch) << c.what;
    EXPECT_EQ(k.prefix, c.prefix) << c.what;
  }
}

// Keys as (table, scan code): 'A' for table A, 'B' for table B.
struct Key {
  char table;
  uint8_t scan;
};
void press(const std::vector<Key>& keys) {
  for (const Key& k : keys) {
    if (k.table == 'B') input_feed_scan_code(224);
    input_feed_scan_code(k.scan);
  }
}

TEST_F(InputKeyboard, KeyQueriesFollowTheirOrderAndShift) {
  struct Case {
    const char* what;
    std::vector<Key> keys;
    uint8_t key_code, scan_code;
  };
  const Key up{'B', 72}, enter{'A', 28}, a{'A', 30}, shift{'A', 42}, rshift{'A', 54};
  const Case cases[] = {
      {"nothing", {}, 0, 0},
      {"up before Enter", {enter, up}, 72, 200},
      {"keypad up (table A) is up too", {{'A', 72}}, 72, 200},
      {"a letter alone", {a}, 0, 'a'},
      {"Shift alone", {shift}, 0, 0},
      {"Shift+a", {shift, a}, 0, 'A'},
      {"right Shift+1", {rshift, {'A', 2}}, 0, '!'},
      {"Shift+2", {shift, {'A', 3}}, 0, '@'},
      {"Shift+0", {shift, {'A', 11}}, 0, ')'},
      {"Shift+apostrophe", {shift, {'A', 40}}, 0, '"'},
      {"Shift+grave", {shift, {'A', 41}}, 0, '~'},
      {"Shift+backslash", {shift, {'A', 43}}, 0, '|'},
      {"Shift+[", {shift, {'A', 26}}, 0, '{'},
      {"Shift+slash", {shift, {'A', 53}}, 0, '?'},
      {"keypad *", {{'A', 55}}, 0, '*'},
      {"1 before a", {a, {'A', 2}}, 0, '1'},
      {"Enter", {enter}, 13, 141},
      {"keypad Enter", {{'B', 28}}, 13, 141},
      {"Tab", {{'A', 15}}, 9, 137},
      {"Backspace", {{'A', 14}}, 15, 8},
      {"space", {{'A', 57}}, 32, 32},
      {"Delete and space: the two orders differ", {{'B', 83}, {'A', 57}}, 32, 211},
      {"Insert", {{'B', 82}}, 82, 210},
      {"Home", {{'B', 71}}, 71, 199},
      {"End", {{'B', 79}}, 79, 207},
      {"Page Up", {{'B', 73}}, 73, 201},
      {"Page Down", {{'B', 81}}, 81, 209},
      {"Esc", {{'A', 1}}, 27, 155},
      {"F1", {{'A', 59}}, 59, 187},
      {"F10", {{'A', 68}}, 68, 196},
      {"F11", {{'A', 87}}, 133, 197},
      {"F12", {{'A', 88}}, 134, 198},
      {"F5 before a letter", {a, {'A', 63}}, 63, 191},
  };
  for (const Case& c : cases) {
    input_flush();
    press(c.keys);
    EXPECT_EQ(input_get_key_code(), c.key_code) << c.what;
    EXPECT_EQ(input_get_scan_code(), c.scan_code) << c.what;
  }
  // Esc answers from its latch even after its release.
  input_flush();
  press({{'A', 1}, {'A', 129}, a});
  EXPECT_EQ(input_get_key_code(), 27);
}

TEST_F(InputKeyboard, KeyTestsReadTheirTables) {
  struct Case {
    const char* what;
    int (*test)();
    Key key;
    bool down;
  };
  const Case cases[] = {
      {"Ctrl, left", input_ctrl_down, {'A', 29}, true},      {"Ctrl, right", input_ctrl_down, {'B', 29}, true},
      {"Alt, right", input_alt_down, {'B', 56}, true},       {"Shift, right", input_shift_down, {'A', 54}, true},
      {"Shift is not extended", input_shift_down, {'B', 42}, false},
      {"left Ctrl", input_left_ctrl_down, {'A', 29}, true},  {"left Ctrl not right", input_left_ctrl_down, {'B', 29}, false},
      {"right Ctrl", input_right_ctrl_down, {'B', 29}, true}, {"right Alt", input_right_alt_down, {'B', 56}, true},
      {"right Alt not left", input_right_alt_down, {'A', 56}, false},
      {"left Alt", input_left_alt_down, {'A', 56}, true},    {"left Shift", input_left_shift_down, {'A', 42}, true},
      {"right Shift", input_right_shift_down, {'A', 54}, true}, {"space", input_space_down, {'A', 57}, true},
      {"Tab", input_tab_down, {'A', 15}, true},              {"Backspace", input_backspace_down, {'A', 14}, true},
      {"Enter", input_enter_down, {'B', 28}, true},          {"Delete", input_delete_down, {'A', 83}, true},
      {"left", input_arrow_left, {'B', 75}, true},           {"right", input_arrow_right, {'A', 77}, true},
      {"down", input_arrow_down, {'B', 80}, true},           {"Page Down", input_page_down_down, {'B', 81}, true},
  };
  for (const Case& c : cases) {
    input_flush();
    press({c.key});
    EXPECT_EQ(c.test(), c.down ? 1 : 0) << c.what;
    EXPECT_EQ(input_any_key(), 1) << c.what;
  }
  input_flush();
  EXPECT_EQ(input_any_key(), 0);
}

TEST_F(InputKeyboard, ClearKeysKeepsTheModifiersAndFlushClearsEverything) {
  press({{'A', 29}, {'A', 42}, {'A', 54}, {'A', 56}, {'B', 29}, {'B', 56}, {'A', 30}, {'B', 72}, {'A', 1}});
  input_feed_scan_code(224);
  input_clear_keys();
  const INPUT_KEYBOARD& k = input_state().keys;
  EXPECT_EQ(down_in(k.table_a), (std::set<int>{29, 42, 54, 56}));
  EXPECT_EQ(down_in(k.table_b), (std::set<int>{29, 56}));
  EXPECT_EQ(k.escape_latch, 0);
  EXPECT_EQ(k.prefix, 0);
  input_flush();
  EXPECT_TRUE(down_in(k.table_a).empty());
  EXPECT_TRUE(down_in(k.table_b).empty());
}

TEST_F(InputKeyboard, TheHundredAndFirstCharacterIsDropped) {
  for (int i = 0; i < 101; ++i) input_add_char(static_cast<uint8_t>(i + 1));
  EXPECT_EQ(input_get_char_count(), 100);
  EXPECT_EQ(input_get_char(0), 1);
  EXPECT_EQ(input_get_char(99), 100);
  EXPECT_EQ(input_get_char(100), 0);
  EXPECT_EQ(input_get_char(-1), 0);
  input_clear_chars();
  EXPECT_EQ(input_get_char_count(), 0);
  EXPECT_EQ(input_get_char(0), 0);
}

// From the platform's key events through the window procedure.
TEST_F(InputKeyboard, TranslatedKeysReachTheTables) {
  whileRunning([this] {
    key("LSHIFT", true);
    key("A", true);
    EXPECT_EQ(input_get_scan_code(), 'A');
    key("A", false);
    key("LSHIFT", false);
    EXPECT_EQ(input_any_key(), 0);

    key("LEFT", true);  // extended, but only bits 16-23 reach INPUT: table A
    EXPECT_EQ(input_state().keys.table_a[75], 1);
    EXPECT_EQ(input_get_key_code(), 75);
    EXPECT_EQ(input_get_scan_code(), 203);
    key("LEFT", false);

    // The keypad's first press is the main-row digit; its release is not remapped, so the
    // digit stays down until a clear.
    key("KP_4", true);
    EXPECT_EQ(input_get_scan_code(), '4');
    key("KP_4", false);
    EXPECT_EQ(input_state().keys.table_a[5], 1);
    EXPECT_EQ(input_state().keys.table_a[75], 0);
    input_clear_keys();

    key("RCTRL", true);
    key("RALT", true);
    EXPECT_EQ(input_state().keys.table_a[29], 1);
    EXPECT_EQ(input_state().keys.table_a[56], 1);
    EXPECT_EQ(input_state().keys.table_b[29], 0);

    // Control keys bring their character too.
    input_flush();
    input_clear_chars();
    key("RALT", false);
    key("RCTRL", false);
    key("ESCAPE", true);
    ASSERT_EQ(input_get_char_count(), 1);
    EXPECT_EQ(input_get_char(0), 27);
    EXPECT_EQ(input_get_key_code(), 27);
  });
}

}  // namespace
}  // namespace engine_test
