// Lines and tokens read from memory buffers.
#include <algorithm>
#include <cstring>

#include "engine/util/util.h"

int buf_read_line(const char* buffer, int* cursor, int length, char* out, int out_size) {
  if (out) out[0] = 0;
  if (!buffer || !cursor || !out || out_size < 0 || length < 0) return -2;
  int at = *cursor;
  if (at < 0) at = 0;
  if (at >= length) {
    *cursor = length;
    return -2;
  }
  const void* cr = std::memchr(buffer + at, '\r', static_cast<size_t>(length - at));
  if (!cr) {
    // A last line without CR is not a line.
    *cursor = length;
    return 0;
  }
  const int end = static_cast<int>(static_cast<const char*>(cr) - buffer);
  const int n = std::min(end - at, out_size);
  std::memcpy(out, buffer + at, static_cast<size_t>(n));
  out[n] = 0;
  at = end + 1;
  if (at < length && buffer[at] == '\n') ++at;
  *cursor = at;
  return 0;
}

namespace {
bool is_delimiter(char c, const char* delimiters, int count) {
  return delimiters && count > 0 && std::memchr(delimiters, c, static_cast<size_t>(count)) != nullptr;
}
}  // namespace

int buf_read_token(char* out, int out_size, const char* text, int* index, const char* delimiters,
                   int delimiter_count) {
  if (!out || out_size < 0) return 0;
  out[0] = 0;
  if (!text || !index) return 0;
  int at = *index;
  int n = 0;
  while (text[at] != 0 && n < out_size && !is_delimiter(text[at], delimiters, delimiter_count)) out[n++] = text[at++];
  out[n] = 0;
  *index = at;
  return n;
}

char buf_skip_delimiters(const char* text, int* index, const char* delimiters, int delimiter_count) {
  if (!text || !index) return 0;
  int at = *index;
  // The text's NUL is never a delimiter.
  while (text[at] != 0 && is_delimiter(text[at], delimiters, delimiter_count)) ++at;
  *index = at;
  return text[at];
}
