// Character walking shared by the utilities: a trail byte 0x5C is never a separator.
#pragma once
#include <cstddef>
#include <string_view>

namespace util_detail {

constexpr size_t NONE = static_cast<size_t>(-1);

inline bool is_separator(char c) { return c == '\\' || c == '/'; }
// The index of the last separator that starts a character, or NONE.
size_t last_separator(std::string_view path);
// True when the text's last character is a separator.
bool ends_in_separator(std::string_view path);

}  // namespace util_detail
