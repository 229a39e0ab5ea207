// Keyboard layouts and the input method: the IME-open flag that the edit boxes read, the
// window procedure's IME and input-language handlers, and the optional IME state record with
// its drawing (nothing in the game switches the record on; the handlers then act without it).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct BITMAP16;

// Handlers: 1 when handled; 0 sends the record on to the default procedure.
int ime_on_start_composition(uint32_t wParam, int32_t lParam);
int ime_on_end_composition(uint32_t wParam, int32_t lParam);
int ime_on_composition(uint32_t wParam, int32_t lParam);
int ime_on_set_context(uint32_t wParam, int32_t lParam);
int ime_on_notify(uint32_t wParam, int32_t lParam);
int ime_on_lang_change_request(uint32_t wParam, int32_t lParam);
int ime_on_lang_change(uint32_t wParam, int32_t lParam);

// 1 from the start of a composition until it ends or the input method closes.
int32_t ime_is_open();
// 1 once a candidate list opened.
int32_t ime_candidate_is_open();
// A keyboard layout handle whose top four bits are 0xE names an input method.
inline bool ime_layout_is_ime(uint32_t layout) { return (layout >> 28) == 0xE; }

// ---- the IME state record -------------------------------------------------------------------

constexpr int IME_TEXT_SIZE = 260;
constexpr int IME_CANDIDATE_TEXT_SIZE = 267;
constexpr int IME_NAME_SIZE = 64;

// The candidate list as the input method reports it: every candidate, the selected one and
// the current page.
struct IME_CANDIDATE_LIST {
  uint32_t count = 0;
  uint32_t selection = 0;
  uint32_t page_start = 0;
  uint32_t page_size = 0;
  std::vector<std::string> candidates;  // code page 936
};

struct IME_STATE {
  uint8_t disabled;
  char composition[IME_TEXT_SIZE];
  char reading[IME_TEXT_SIZE];
  char candidate_text[IME_CANDIDATE_TEXT_SIZE];
  char ime_name[IME_NAME_SIZE];
  int32_t cursor_pos;
  uint8_t full_width;
  uint8_t symbol;
  char result[IME_TEXT_SIZE];
  IME_CANDIDATE_LIST* candidate_list;  // owned, remade on each change
};

// Creates the record (once) and resets it; 0, or -1 when it cannot be allocated.
int ime_state_create();
void ime_state_free();
const IME_STATE* ime_state();  // null unless created
// Empties the strings, the disabled byte and the cursor position.
void ime_reset();
void ime_disable();
// Layout switching and the input method's hot keys have no counterpart on this platform.
void ime_next_layout();
void ime_prev_layout();
void ime_hotkey_17();
void ime_hotkey_18();
const char* ime_get_name();  // null when empty or without the record
int ime_is_full_width();
int ime_is_symbol();
// Out pointers into the record (any may be null); 0 without the record, else 1.
int ime_get_strings(const char** composition, const char** reading, int32_t* cursor, const char** candidates);
// Copies the result string into out (size bytes, NUL-terminated) and empties it; 0 when empty.
int ime_take_result(char* out, int32_t size);
// "1.cand\t2.cand..." for the current page into text (IME_CANDIDATE_TEXT_SIZE bytes).
void ime_format_candidates(const IME_CANDIDATE_LIST* list, char* text);

// Drawing of the record into a 16-bit bitmap, through the WINFONT module.
void ime_draw_bar(BITMAP16* target);
void ime_draw_bar_compact(BITMAP16* target);
void ime_draw_bar_full(BITMAP16* target);

// Tests only: flags 0, no record.
void ime_module_reset();
