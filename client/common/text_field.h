// Game text into a fixed character field.
#pragma once
#include <cstddef>
#include <cstring>
#include <string_view>

#include "plat/cp936.h"

// The text up to its first NUL, cut to N - 1 bytes on a character boundary; the rest of the
// field zeroed.
template <size_t N>
void text_field_set(char (&field)[N], std::string_view text) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  const size_t n = plat::cp936::wholeLength(text, N - 1);
  if (n != 0) std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
}

// A field's text up to its NUL (or the whole field when it has none).
template <size_t N>
std::string_view text_field_view(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

// A field as a server record filled it: its text kept to N - 1 bytes on a character boundary,
// the rest zeroed (a field without its NUL gets one).
template <size_t N>
void text_field_terminate(char (&field)[N]) {
  const size_t n = plat::cp936::wholeLength(text_field_view(field), N - 1);
  std::memset(field + n, 0, N - n);
}
