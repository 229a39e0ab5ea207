#include "updater/config_keys.h"

#include <locale.h>

#include <cstdlib>
#include <memory>

#include "plat/platform.h"

namespace updater {

namespace {

// The key compared against the line: bytes below '!' are passed over, a '#' ends the comparison,
// and the key matches as soon as it has been compared to its end.
bool keyMatches(std::string_view line, std::string_view key) {
  size_t i = 0;
  for (size_t k = 0; k < key.size();) {
    if (i >= line.size()) return false;
    const auto c = static_cast<unsigned char>(line[i]);
    if (c < '!') {
      ++i;
      continue;
    }
    if (c == '#' || c != static_cast<unsigned char>(key[k])) return false;
    ++i;
    ++k;
  }
  return true;
}

bool isComment(std::string_view line) {
  for (char ch : line) {
    const auto c = static_cast<unsigned char>(ch);
    if (c > ' ') return c == '#';
  }
  return false;
}

// atof in the C locale, whatever the process's locale says.
float numberValue(std::string_view text) {
  static locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  const std::string copy(text);
  return static_cast<float>(strtod_l(copy.c_str(), nullptr, c_locale));
}

std::string wordValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string word;
  for (; i < text.size() && word.size() < CONFIG_WORD_MAX; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < ' ' || c == 0x7F || c == ' ' || c == '#' || c == ')' || c == ',' || c == ';') break;
    word += static_cast<char>(c);
  }
  return word;
}

void answerLine(std::string_view line, CONFIG_QUERY* queries, int count) {
  if (isComment(line)) return;
  for (int q = 0; q < count; ++q) {
    CONFIG_QUERY& query = queries[q];
    if (query.flags & CONFIG_FOUND) continue;
    if (!keyMatches(line, query.key)) continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;  // a match without a value answers nothing
    const std::string_view value = line.substr(eq + 1);
    if (query.flags & CONFIG_NUMBER) query.number = numberValue(value);
    if (query.flags & CONFIG_WORD) query.word = wordValue(value);
    query.flags |= CONFIG_FOUND;
  }
}

}  // namespace

int ReadConfigKeysText(std::string_view text, CONFIG_QUERY* queries, int count) {
  if (!queries || count <= 0) return -1;
  size_t at = 0;
  while (at < text.size()) {
    // A line ends after its line feed or after CONFIG_LINE_MAX characters.
    size_t end = text.find('\n', at);
    end = end == std::string_view::npos ? text.size() : end + 1;
    if (end - at > CONFIG_LINE_MAX) end = at + CONFIG_LINE_MAX;
    answerLine(text.substr(at, end - at), queries, count);
    at = end;
  }
  return 0;
}

int ReadConfigKeys(std::string_view path, CONFIG_QUERY* queries, int count) {
  if (!queries || count <= 0) return -1;
  auto file = plat::get().files().open(path, "rb");
  if (!file) return -1;
  std::string text;
  char block[4096];
  for (;;) {
    const size_t n = file->read(block, sizeof block);
    if (n == 0) break;
    text.append(block, n);
  }
  return ReadConfigKeysText(text, queries, count);
}

}  // namespace updater
