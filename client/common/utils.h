// Small shared helpers of the client core: version text, file checks and loading,
// token readers, browser launching, logs, the notice list, the chat input history
// and the banned-word filter. Texts are code page 936 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/file/file_checks.h"
#include "core/file/whole_file.h"
#include "plat/platform.h"

// ---- version text ---------------------------------------------------------------------------

constexpr int CLIENT_BUILD_NUMBER = 6137;
constexpr size_t VERSION_TEXT_SIZE = 32;
// Writes "major.minor.patch - build" into buffer (VERSION_TEXT_SIZE bytes).
void version_text_format(char* buffer, int major, int minor, int patch);

// Does nothing; installed as a hook where a routine is required but no work is.
void client_noop();

// ---- text -----------------------------------------------------------------------------------

// The number of '~' characters: each starts a three-byte colour or style code.
uint32_t text_count_tilde_codes(const char* text);
// Removes leading spaces and tabs in place.
void trim_leading_blanks(char* text);
// Copies at most max bytes from text + *position into out, which must hold max + 1 bytes
// (checked in debug builds; max is clamped to out.size() - 1 otherwise). With
// stop_at_separators, blanks are skipped and ',' or '=' ends the token; *position is left on
// the stopping character.
void next_token(const char* text, std::span<char> out, int* position, int stop_at_separators, int max);
// Copies at most max bytes until the end of the text or, when delimiter is not 0, until the
// delimiter or a blank. out must hold max + 1 bytes; *position stays on the stopping character.
void next_word(const char* text, std::span<char> out, int* position, char delimiter, int max);

// ---- registry and browser -------------------------------------------------------------------

constexpr size_t REGISTRY_VALUE_SIZE = 260;
constexpr int REGISTRY_NOT_FOUND = 2;    // ERROR_FILE_NOT_FOUND
constexpr int REGISTRY_MORE_DATA = 234;  // ERROR_MORE_DATA
// Reads the default value of root\subkey into out (REGISTRY_VALUE_SIZE bytes): 0, or the error.
int registry_read_default(plat::Hive root, const char* subkey, char* out);
// Opens url in the web browser; a result of 32 or less is a failure.
int open_url(const char* url, int show);
// open_url with SW_SHOW: 1 on success, 0 (and a beep) on failure.
int open_web_page(const char* url);
// Opens url through the registry's "htmlfile" open command.
void open_html_page(const char* url);

// tier0 spew handler: the text in an "Error" box; 0 for asserts, 2 for errors, 1 otherwise.
int spew_message_box(int spew_type, const char* text);

// ---- logs -----------------------------------------------------------------------------------

void exception_log(const char* place, int code);
void exception_log_msg(const char* place, int code, uint32_t message_id, int value);

// ---- game screen state ----------------------------------------------------------------------

// Stores the map scene's view rectangle.
void view_rect_set(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Puts text (cut to 47 bytes) at the top of the system notice list.
void notice_lines_push(const char* text);

// ---- chat input history ---------------------------------------------------------------------

constexpr int CHAT_HISTORY_LINES = 16;
constexpr size_t CHAT_HISTORY_LINE_SIZE = 160;
constexpr int CHAT_HISTORY_KEY_UP = 'H';
constexpr int CHAT_HISTORY_KEY_DOWN = 'P';
void chat_line_history_add(const char* text);
// out holds CHAT_HISTORY_LINE_SIZE bytes; key 'H' older line, 'P' newer line.
void chat_line_history_browse(char* out, int key);
// Browsing starts again from the newest line (after each sent line).
void chat_line_history_browse_to_newest();
void chat_line_history_reset();  // empty history, both indexes 0

// ---- banned words ---------------------------------------------------------------------------

constexpr size_t BAD_WORD_SIZE = 20;
struct BAD_WORD_LIST {
  const char (*words)[BAD_WORD_SIZE] = nullptr;
  size_t count = 0;
};
using BadWordProvider = BAD_WORD_LIST (*)();
// The res tables install the provider once res/chat.res is loaded; nullptr means no list.
void filter_bad_words_set_provider(BadWordProvider provider);
// test_only: true at the first banned word found, text unchanged. Otherwise every banned word
// is replaced by one '*' per character, and false is returned.
bool filter_bad_words(char* text, bool test_only);

// ---- items ----------------------------------------------------------------------------------

// True when the item's definition allows mailing it; false for an unknown item.
bool item_flag_check(uint32_t item_id);
