// The key tables fed with scan-code bytes, the key queries in their two coding schemes, and the
// typed-character queue.
#include <cstring>

#include "engine/input/input_state.h"

namespace {

INPUT_KEYBOARD& kb() { return input_state().keys; }

constexpr uint8_t PREFIX_EXTENDED = 224, PREFIX_PAUSE = 225;

// Scan codes of the keys the queries name.
enum : uint8_t {
  SC_ESC = 1, SC_BACKSPACE = 14, SC_TAB = 15, SC_ENTER = 28, SC_CTRL = 29, SC_LSHIFT = 42, SC_RSHIFT = 54,
  SC_ALT = 56, SC_SPACE = 57, SC_HOME = 71, SC_UP = 72, SC_PGUP = 73, SC_LEFT = 75, SC_RIGHT = 77, SC_END = 79,
  SC_DOWN = 80, SC_PGDN = 81, SC_INSERT = 82, SC_DELETE = 83, SC_F11 = 87, SC_F12 = 88
};

// Codes from 89 on would lie past both 89-byte tables: they are ignored, down or up, in every
// prefix state (the tables' own limit; writing them would overrun the record).
bool kept(uint8_t code) { return code < INPUT_KEY_TABLE_SIZE; }

int in_a(uint8_t sc) { return kb().table_a[sc] != 0; }
int in_b(uint8_t sc) { return kb().table_b[sc] != 0; }
int in_either(uint8_t sc) { return in_a(sc) || in_b(sc); }

// The function keys: F1-F10 are scan codes 59..68, F11 and F12 87 and 88.
uint8_t function_key() {
  for (uint8_t sc = 59; sc <= 68; ++sc)
    if (in_either(sc)) return sc;
  if (in_either(SC_F11)) return 133;
  if (in_either(SC_F12)) return 134;
  return 0;
}

struct CharRow {
  uint8_t scan;
  char ch;
};
// Searched in order; the first row whose key is down gives the character.
constexpr CharRow kCharRows[] = {
    {2, '1'},   {3, '2'},   {4, '3'},   {5, '4'},   {6, '5'},   {7, '6'},   {8, '7'},   {9, '8'},   {10, '9'},
    {11, '0'},  {30, 'a'},  {48, 'b'},  {46, 'c'},  {32, 'd'},  {18, 'e'},  {33, 'f'},  {34, 'g'},  {35, 'h'},
    {23, 'i'},  {36, 'j'},  {37, 'k'},  {38, 'l'},  {50, 'm'},  {49, 'n'},  {24, 'o'},  {25, 'p'},  {16, 'q'},
    {19, 'r'},  {31, 's'},  {20, 't'},  {22, 'u'},  {47, 'v'},  {17, 'w'},  {45, 'x'},  {21, 'y'},  {44, 'z'},
    {12, '-'},  {13, '='},  {26, '['},  {27, ']'},  {39, ';'},  {40, '\''}, {51, ','},  {52, '.'},  {53, '/'},
    {55, '*'},  {41, '`'},  {43, '\\'}, {14, 8},
};
static_assert(sizeof(kCharRows) / sizeof(kCharRows[0]) == 49);

char shifted(char c) {
  static constexpr const char* kFrom = "',-./0123456789;=[\\]`";
  static constexpr const char* kTo = "\"<_>?)!@#$%^&*(:+{|}~";
  if (const char* at = std::strchr(kFrom, c); at && c != '\0') return kTo[at - kFrom];
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

}  // namespace

void input_feed_scan_code(uint8_t b) {
  INPUT_KEYBOARD& k = kb();
  const uint8_t m = b & 127;
  if (k.prefix == PREFIX_EXTENDED) {
    if (kept(m)) {
      if (b <= 127) k.table_b[b] = 1;
      else k.table_b[m] = 0;
    }
    k.prefix = 0;
    return;
  }
  if (k.prefix == PREFIX_PAUSE) {
    // Pause: 225 29 69 225 157 197; only 69 down and 197 up reach the tables.
    if (b == 197) {
      k.table_b[69] = 0;
      k.prefix = 0;
    } else if (b == 69) {
      k.table_b[69] = 1;
      k.prefix = 0;
    }
    return;
  }
  if (b == PREFIX_EXTENDED || b == PREFIX_PAUSE) {
    k.prefix = b;
    return;
  }
  if (!kept(m)) return;
  if (b >= 128) {
    k.table_a[m] = 0;
  } else {
    k.table_a[b] = 1;
    if (b == SC_ESC) k.escape_latch = 1;
  }
}

void input_flush() {
  INPUT_KEYBOARD& k = kb();
  std::memset(k.table_a, 0, sizeof k.table_a);
  std::memset(k.table_b, 0, sizeof k.table_b);
  k.escape_latch = 0;
  k.prefix = 0;
}

void input_clear_keys() {
  INPUT_KEYBOARD& k = kb();
  const uint8_t a_ctrl = k.table_a[SC_CTRL], a_lshift = k.table_a[SC_LSHIFT], a_rshift = k.table_a[SC_RSHIFT],
                a_alt = k.table_a[SC_ALT], b_ctrl = k.table_b[SC_CTRL], b_alt = k.table_b[SC_ALT];
  input_flush();
  k.table_a[SC_CTRL] = a_ctrl;
  k.table_a[SC_LSHIFT] = a_lshift;
  k.table_a[SC_RSHIFT] = a_rshift;
  k.table_a[SC_ALT] = a_alt;
  k.table_b[SC_CTRL] = b_ctrl;
  k.table_b[SC_ALT] = b_alt;
}

int input_any_key() {
  const INPUT_KEYBOARD& k = kb();
  for (int i = 0; i < INPUT_KEY_TABLE_SIZE; ++i)
    if (k.table_a[i] || k.table_b[i]) return 1;
  return 0;
}

int input_arrow_up() { return in_either(SC_UP); }
int input_arrow_down() { return in_either(SC_DOWN); }
int input_arrow_left() { return in_either(SC_LEFT); }
int input_arrow_right() { return in_either(SC_RIGHT); }
int input_insert_down() { return in_either(SC_INSERT); }
int input_delete_down() { return in_either(SC_DELETE); }
int input_home_down() { return in_either(SC_HOME); }
int input_end_down() { return in_either(SC_END); }
int input_page_up_down() { return in_either(SC_PGUP); }
int input_page_down_down() { return in_either(SC_PGDN); }
int input_enter_down() { return in_either(SC_ENTER); }
int input_ctrl_down() { return in_either(SC_CTRL); }
int input_alt_down() { return in_either(SC_ALT); }
int input_shift_down() { return in_a(SC_LSHIFT) || in_a(SC_RSHIFT); }
int input_space_down() { return in_a(SC_SPACE); }
int input_tab_down() { return in_a(SC_TAB); }
int input_backspace_down() { return in_a(SC_BACKSPACE); }
int input_left_ctrl_down() { return in_a(SC_CTRL); }
int input_left_shift_down() { return in_a(SC_LSHIFT); }
int input_right_shift_down() { return in_a(SC_RSHIFT); }
int input_left_alt_down() { return in_a(SC_ALT); }
int input_right_ctrl_down() { return in_b(SC_CTRL); }
int input_right_alt_down() { return in_b(SC_ALT); }

uint8_t input_get_key_code() {
  if (!input_any_key()) return 0;
  if (input_arrow_up()) return 72;
  if (input_arrow_down()) return 80;
  if (input_arrow_left()) return 75;
  if (input_arrow_right()) return 77;
  if (in_either(SC_SPACE)) return 32;
  if (input_enter_down()) return 13;
  if (kb().escape_latch) return 27;
  if (in_either(SC_TAB)) return 9;
  if (input_insert_down()) return 82;
  if (input_delete_down()) return 83;
  if (input_page_up_down()) return 73;
  if (input_page_down_down()) return 81;
  if (input_home_down()) return 71;
  if (input_end_down()) return 79;
  if (in_either(SC_BACKSPACE)) return 15;
  return function_key();
}

uint8_t input_get_scan_code() {
  if (!input_any_key()) return 0;
  if (input_arrow_up()) return 200;
  if (input_arrow_down()) return 208;
  if (input_arrow_left()) return 203;
  if (input_arrow_right()) return 205;
  if (input_insert_down()) return 210;
  if (input_delete_down()) return 211;
  if (input_home_down()) return 199;
  if (input_end_down()) return 207;
  if (input_page_up_down()) return 201;
  if (input_page_down_down()) return 209;
  if (in_either(SC_SPACE)) return 32;
  if (input_enter_down()) return 141;
  if (kb().escape_latch) return 155;
  if (in_either(SC_TAB)) return 137;
  if (uint8_t f = function_key()) return f >= 133 ? static_cast<uint8_t>(f + 64) : static_cast<uint8_t>(f + 128);
  for (const CharRow& row : kCharRows) {
    if (!in_either(row.scan)) continue;
    char c = row.ch;
    if (input_shift_down()) c = shifted(c);
    return static_cast<uint8_t>(c);
  }
  return 0;
}

void input_add_char(uint8_t c) {
  INPUT_KEYBOARD& k = kb();
  if (k.char_count < INPUT_CHAR_QUEUE_SIZE) k.chars[k.char_count++] = c;
}

void input_clear_chars() {
  kb().char_count = 0;
  kb().chars_told = 0;
}

uint8_t input_get_char(int32_t i) {
  const INPUT_KEYBOARD& k = kb();
  return (i < 0 || i >= k.char_count) ? 0 : k.chars[i];
}

int32_t input_get_char_count() { return kb().char_count; }
