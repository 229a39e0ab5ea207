// Small engine routines: code page 936 string cutting, line and token reading from memory,
// game-form path text (back and forward slashes both separate), folders through the path
// resolver, bit flags, checksums, little-endian put/get with a cursor, the time as text and the
// float routines of MATH_FUNCS. Results come back by value; nothing keeps static buffers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// ---- double-byte text ----------------------------------------------------------------------

// The byte index (from the text's start) at which to cut so that the piece from start covers at
// most count bytes without splitting a character; -1 when start is at or past the end.
int str_mbcs_fit(std::string_view text, int start, int count);
// The byte index where the last whole characters covering at least count bytes begin; 0 when the
// text is not longer than count.
int str_mbcs_tail_start(std::string_view text, int count);
// ASCII letters only, in place; trail bytes are never touched.
void str_upper(char* text);
void str_lower(char* text);
// Removes the last (possibly double-byte) character in place.
void str_cut_last_char(char* text);

// ---- lines and tokens from memory ----------------------------------------------------------

// From *cursor, a line ends at CR, and a LF right after it is skipped too. At most out_size
// bytes are copied, then a NUL (out holds out_size + 1 bytes); the cursor moves past the line
// end. A rest without CR reads as an empty line and leaves the cursor at the end. 0, or -2 with
// an empty out when the cursor already is at the end.
int buf_read_line(const char* buffer, int* cursor, int length, char* out, int out_size);
// Copies from text + *index into out until a delimiter (which ends the token and is not
// copied), the text's NUL or out_size characters (out holds out_size + 1 bytes). *index stays
// on the character that ended the token. The token's length.
int buf_read_token(char* out, int out_size, const char* text, int* index, const char* delimiters,
                   int delimiter_count);
// Moves *index over a run of delimiters; the character that stops it.
char buf_skip_delimiters(const char* text, int* index, const char* delimiters, int delimiter_count);

// ---- game-form paths -----------------------------------------------------------------------

// The path up to its last "." (or the whole path), ".", then ext without one leading ".".
std::string path_change_ext(std::string_view path, std::string_view ext);
// Without the extension; ".." stays "..".
std::string path_strip_ext(std::string_view path);
// The extension with its "."; empty without one (and for "..").
std::string path_get_ext(std::string_view path);
// Everything before the last separator; empty when it is missing or at index 0.
std::string path_get_dir(std::string_view path);
// Everything after the last separator (the whole path without one).
std::string path_get_name(std::string_view path);
// name + ext for an empty folder; folder + name + ext when it ends in a separator; else
// folder + "\" + name + ext.
std::string path_join(std::string_view folder, std::string_view name, std::string_view ext);
std::string path_to_forward_slashes(std::string_view path);
// A full upper-case path on the drive model of the resolver: every drive is the game folder's
// root and the current folder of every drive is that root, so "X" gives "C:\X", "\X" the current
// drive's "C:\X", "D:X" "D:\X" and "D:\" "D:".
std::string path_normalise(std::string_view path);

// ---- folders and files through the resolver ------------------------------------------------

// 1 when the path names a regular file that can be opened for reading, else 0.
int util_file_exists(const char* path);
// Makes each folder along the path, then the whole path: 0 when that last one was made, else -2
// (so an existing folder gives -2).
int dir_create_path(const char* path);
// Removes the whole path, then each parent from the deepest: 0 when the last removal worked,
// else -2.
int dir_remove_path(const char* path);
// 1 when the normalised path is a folder inside the game folder, else 0.
int path_is_dir(const char* path);

// ---- numbers and bytes ---------------------------------------------------------------------

// The sum of the 32-bit little-endian words covering length rounded up to 4; bytes past the
// length count as 0.
uint32_t sum_words(const uint8_t* buffer, size_t length);
uint8_t sum_bytes(const uint8_t* buffer, size_t length);
// op 1: 1 when any of bits is set; 2, 4: set; 5: clear; 6: toggle as a group (all cleared when
// any is set, else all set); others nothing. 0 except for op 1.
int flag_op(uint32_t* flags, uint32_t bits, int op);
int flag_toggle(uint32_t* flags, uint32_t bits);
// Little-endian at buffer[*cursor], the cursor moved on: 0, or -1 (nothing written or read)
// when the value does not fit before the buffer's end.
int put_u8(std::span<uint8_t> buffer, uint8_t value, size_t* cursor);
int put_u16(std::span<uint8_t> buffer, uint16_t value, size_t* cursor);
int put_u32(std::span<uint8_t> buffer, uint32_t value, size_t* cursor);
int get_u8(std::span<const uint8_t> buffer, size_t* cursor, uint8_t* value);
int get_u16(std::span<const uint8_t> buffer, size_t* cursor, uint16_t* value);
int get_u32(std::span<const uint8_t> buffer, size_t* cursor, uint32_t* value);
// ctime of the platform clock's wall time: 24 characters and a newline.
std::string time_text();
// Seeds the C runtime generator with the wall time.
void rand_seed_clock();

// ---- float routines ------------------------------------------------------------------------

float math_sqrt(float x);
float math_inv_sqrt(float x);
// Normalises v[0..2] in place (a zero vector stays zero) and returns its length.
float math_normalise_length(float* v);
void math_normalise(float* v);
// 1 / (x^2 + y^2 + z^2) when that sum is at least 1, else 1.
float math_inv_length_sq(const float* v);
void math_sin_cos(float angle, float* s, float* c);
float math_cos(float angle);

struct MATH_FUNCS_TABLE {
  float (*sqrt)(float);
  float (*inv_sqrt)(float);
  float (*inv_sqrt_again)(float);
  float (*normalise_length)(float*);
  void (*normalise)(float*);
  float (*inv_length_sq)(const float*);
  void (*sin_cos)(float, float*, float*);
  float (*cos)(float);
};
extern const MATH_FUNCS_TABLE MATH_FUNCS;
