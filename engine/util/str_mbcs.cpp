// Double-byte text: cutting on character boundaries.
#include <algorithm>
#include <cstring>
#include <string>

#include "engine/util/util.h"
#include "engine/util/util_text.h"
#include "plat/cp936.h"

namespace util_detail {

size_t last_separator(std::string_view path) {
  size_t found = NONE;
  for (size_t i = 0; i < path.size(); i = plat::cp936::next(path, i))
    if (is_separator(path[i])) found = i;
  return found;
}

bool ends_in_separator(std::string_view path) {
  const size_t at = last_separator(path);
  return at != NONE && at + 1 == path.size();
}

}  // namespace util_detail

int str_mbcs_fit(std::string_view text, int start, int count) {
  if (start < 0 || static_cast<size_t>(start) >= text.size()) return -1;
  const size_t end = std::min(text.size(), static_cast<size_t>(start) + static_cast<size_t>(std::max(count, 0)));
  size_t at = static_cast<size_t>(start);
  while (at < end) {
    const size_t next = plat::cp936::next(text, at);
    if (next > end) break;
    at = next;
  }
  return static_cast<int>(at);
}

int str_mbcs_tail_start(std::string_view text, int count) {
  if (count < 0 || text.size() <= static_cast<size_t>(count)) return 0;
  const size_t latest = text.size() - static_cast<size_t>(count);
  // Boundaries are only known walking forwards: the last one that still leaves count bytes.
  size_t best = 0;
  for (size_t i = 0; i <= latest && i < text.size(); i = plat::cp936::next(text, i)) best = i;
  return static_cast<int>(best);
}

void str_upper(char* text) {
  if (!text) return;
  const std::string up = plat::cp936::asciiUpper(text);
  std::memcpy(text, up.data(), up.size());
}

void str_lower(char* text) {
  if (!text) return;
  const std::string low = plat::cp936::asciiLower(text);
  std::memcpy(text, low.data(), low.size());
}

void str_cut_last_char(char* text) {
  if (!text || !*text) return;
  const std::string_view view(text);
  size_t last = 0;
  for (size_t i = 0; i < view.size(); i = plat::cp936::next(view, i)) last = i;
  text[last] = 0;
}
