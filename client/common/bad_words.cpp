#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "client/common/bad_words.h"
#include "plat/platform.h"
#include "core/reset/module_resets.h"
#include "plat/cp936.h"

namespace {

BadWordProvider g_provider = nullptr;

// The text as UTF-16, one unit per character, with where each character's bytes lie, so that
// replaced characters can be written back and every other byte stays as it was.
struct DecodedText {
  std::u16string units;
  std::vector<size_t> starts;  // byte offset of each unit, plus the end
};

DecodedText decode_with_offsets(std::string_view text) {
  DecodedText d;
  size_t pos = 0;
  while (pos < text.size()) {
    uint8_t b = static_cast<uint8_t>(text[pos]);
    size_t len = 1;
    char16_t unit = u'\uFFFD';
    if (plat::cp936::isLead(b) && pos + 1 < text.size()) {
      if (auto c = plat::cp936::decodeChar(b, static_cast<uint8_t>(text[pos + 1]))) {
        unit = *c;
        len = 2;
      }
    } else if (auto c = plat::cp936::decodeByte(b)) {
      unit = *c;
    }
    d.units += unit;
    d.starts.push_back(pos);
    pos += len;
  }
  d.starts.push_back(pos);
  return d;
}

}  // namespace

void filter_bad_words_set_provider(BadWordProvider provider) { g_provider = provider; }

// Matching works on UTF-16 characters, so a word never matches across character boundaries
// and each replaced character, single- or double-byte, becomes one '*'. Two changes keep the
// filter from spinning: empty words are skipped, and the search resumes after each hit (a word
// that contains '*' would otherwise be found again forever). Only replaced characters are
// rewritten, so bytes the code page cannot map survive unchanged.
bool filter_bad_words(char* text, bool test_only) {
  if (!text || !g_provider) return false;
  const BAD_WORD_LIST list = g_provider();
  if (!list.words || list.count == 0) return false;
  const std::string_view original(text);
  DecodedText d = decode_with_offsets(original);
  std::vector<bool> replaced(d.units.size(), false);
  bool any = false;
  for (size_t w = 0; w < list.count; ++w) {
    std::string_view word_bytes(list.words[w], strnlen(list.words[w], BAD_WORD_SIZE));
    if (word_bytes.empty()) continue;
    const std::u16string word = plat::cp936::decode(word_bytes);
    // A word the code page cannot decode fully would only match other undecodable bytes.
    if (word.empty() || word.find(u'\uFFFD') != std::u16string::npos) continue;
    size_t at = d.units.find(word);
    while (at != std::u16string::npos) {
      if (test_only) return true;
      for (size_t i = at; i < at + word.size(); ++i) {
        d.units[i] = u'*';
        replaced[i] = true;
      }
      any = true;
      at = d.units.find(word, at + word.size());
    }
  }
  if (!any) return false;
  std::string out;
  out.reserve(original.size());
  for (size_t i = 0; i < d.units.size(); ++i) {
    if (replaced[i])
      out += '*';
    else
      out.append(original.substr(d.starts[i], d.starts[i + 1] - d.starts[i]));
  }
  // Never longer than the original: a replaced character shrinks to one byte or stays one.
  std::memcpy(text, out.data(), out.size());
  text[out.size()] = 0;
  return false;
}

static const ModuleReset k_reset("bad word provider", [] { filter_bad_words_set_provider(nullptr); });
