// Token readers and small text helpers over code page 936 bytes.
#pragma once
#include <cstdint>
#include <span>

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
