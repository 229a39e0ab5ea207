// The key-value reader of server.cfg: "key = value" lines, "#" comments.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace updater {

constexpr uint32_t CONFIG_NUMBER = 1;  // read the value like atof (C locale)
constexpr uint32_t CONFIG_WORD = 2;    // read the value as one word
constexpr uint32_t CONFIG_FOUND = 4;   // set when a line answered

constexpr size_t CONFIG_LINE_MAX = 4096;  // characters a line; the rest reads as the next line
constexpr size_t CONFIG_WORD_MAX = 128;

struct CONFIG_QUERY {
  uint32_t flags = 0;
  std::string key;
  float number = 0;
  std::string word;  // at most CONFIG_WORD_MAX characters
};

// Fills the queries from the file: 0, or -1 for a null array, a count of 0 or less, or a file
// that does not open. The first matching line answers a query; "id1" also matches a line of
// "id10" when that line comes first.
int ReadConfigKeys(std::string_view path, CONFIG_QUERY* queries, int count);
// The same over text in memory (0, or -1 for a null array or a count of 0 or less).
int ReadConfigKeysText(std::string_view text, CONFIG_QUERY* queries, int count);

}  // namespace updater
