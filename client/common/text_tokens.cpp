#include <cassert>
#include <cstring>

#include "client/common/text_tokens.h"
#include "plat/platform.h"
#include "plat/cp936.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The usable max for an out buffer of out.size() bytes (max characters plus the NUL).
int fit_max(std::span<char> out, int max) {
  assert(max >= 0 && static_cast<size_t>(max) < out.size() && "out must hold max + 1 bytes");
  if (max < 0) max = 0;
  if (out.empty()) return -1;
  if (static_cast<size_t>(max) >= out.size()) max = static_cast<int>(out.size() - 1);
  return max;
}

// Length in bytes of the character at text[pos]: 2 for a lead byte followed by a trail.
int char_length(const char* text, int pos) {
  if (plat::cp936::isLead(static_cast<uint8_t>(text[pos])) && text[pos + 1] != 0) return 2;
  return 1;
}

}  // namespace

uint32_t text_count_tilde_codes(const char* text) {
  uint32_t count = 0;
  for (; text && *text; ++text)
    if (*text == '~') ++count;
  return count;
}

// Trims in place with a move: the old copy through a 256-byte buffer overflowed on longer texts.
void trim_leading_blanks(char* text) {
  if (!text) return;
  size_t skip = 0;
  while (is_blank(text[skip])) ++skip;
  if (skip) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

namespace {

// What a scan does with the character at the cursor.
enum class Scan { Copy, Skip, Stop };

// The one scanner behind next_token and next_word; rule(c) decides per character. The out buffer
// holds max + 1 bytes (max characters and the NUL); the old readers wrote one byte past a
// max-sized buffer. A double-byte character is copied whole or not at all, and rules only see
// whole characters (a trail byte is never taken for a separator).
template <class Rule>
void scan(const char* text, std::span<char> out, int* position, int max, Rule rule) {
  max = fit_max(out, max);
  if (max < 0) return;
  int pos = *position;
  int n = 0;
  while (text[pos] != 0) {
    const Scan what = rule(text[pos]);
    if (what == Scan::Stop) break;
    if (what == Scan::Skip) {
      ++pos;
      continue;
    }
    int len = char_length(text, pos);
    if (n + len > max) break;
    std::memcpy(out.data() + n, text + pos, static_cast<size_t>(len));
    n += len;
    pos += len;
  }
  out[static_cast<size_t>(n)] = 0;
  *position = pos;
}

}  // namespace

void next_token(const char* text, std::span<char> out, int* position, int stop_at_separators, int max) {
  scan(text, out, position, max, [stop_at_separators](char c) {
    if (!stop_at_separators) return Scan::Copy;
    if (is_blank(c)) return Scan::Skip;
    return c == ',' || c == '=' ? Scan::Stop : Scan::Copy;
  });
}

void next_word(const char* text, std::span<char> out, int* position, char delimiter, int max) {
  scan(text, out, position, max, [delimiter](char c) {
    return delimiter != 0 && (c == delimiter || is_blank(c)) ? Scan::Stop : Scan::Copy;
  });
}
