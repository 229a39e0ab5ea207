// The updater's fixed display texts, looked up by key.
#pragma once
#include <string>
#include <string_view>

namespace updater {

struct UI_TEXT_ENTRY {
  const char* key;
  const char* text;  // code page 936, used exactly as written
};

constexpr int UI_TEXT_COUNT = 28;
extern const UI_TEXT_ENTRY UI_TEXT_TABLE[UI_TEXT_COUNT];

// The text of the first key equal to `key` ignoring ASCII case; "" when none matches.
std::string GetUiText(std::string_view key);

}  // namespace updater
