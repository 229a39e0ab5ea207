// Code page 936 tables and conversions. The tables are built once, at first use, from glibc's
// iconv "CP936" so that the mapping is the system's own; the edge cases (0x80, 0xFF, user-defined
// areas) are pinned by tests.
#include "plat/cp936.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <memory>
#include <mutex>

namespace plat::cp936 {
namespace {

constexpr int kLeadCount = 0xFE - 0x81 + 1;
constexpr int kTrailCount = 256;
constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kEuro = 0x20AC;

struct Tables {
  // pair (lead, trail) -> UTF-16 unit, 0 when unmapped (no pair maps to U+0000).
  std::array<char16_t, kLeadCount * kTrailCount> decode{};
  // UTF-16 unit -> (lead << 8 | trail) or a single byte, 0 when unencodable.
  std::array<uint16_t, 0x10000> encode{};
};

void fill(Tables& t) {
  for (unsigned b = 0; b < 0x80; ++b) t.encode[b] = static_cast<uint16_t>(b);
  t.encode[kEuro] = 0x80;

  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) return;  // no converter: ASCII and the euro only
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      unsigned char out[8];
      char* ip = in;
      char* op = reinterpret_cast<char*>(out);
      size_t il = sizeof in, ol = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0 || sizeof out - ol != 2) continue;
      char16_t u = static_cast<char16_t>(out[0] | (out[1] << 8));
      if (u == 0 || (u >= 0xD800 && u <= 0xDFFF)) continue;
      // The user-defined areas stay unmapped even where a converter gives them private-use points.
      if (u >= 0xE000 && u <= 0xF8FF) continue;
      t.decode[(lead - 0x81) * kTrailCount + trail] = u;
      if (t.encode[u] == 0) t.encode[u] = static_cast<uint16_t>(lead << 8 | trail);
    }
  }
  iconv_close(cd);
}

const Tables& tables() {
  static std::once_flag once;
  static std::unique_ptr<Tables> t;
  std::call_once(once, [] {
    t = std::make_unique<Tables>();
    fill(*t);
  });
  return *t;
}

// Trail bytes of a double-byte character: 0x40..0x7E and 0x80..0xFE.
inline bool isTrail(uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

void appendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Next code point of UTF-8 text; malformed sequences give U+FFFD and consume one byte.
uint32_t nextUtf8(std::string_view s, size_t& i) {
  uint8_t b = static_cast<uint8_t>(s[i]);
  if (b < 0x80) {
    ++i;
    return b;
  }
  int len = 0;
  uint32_t cp = 0, min = 0;
  if ((b & 0xE0) == 0xC0) len = 2, cp = b & 0x1F, min = 0x80;
  else if ((b & 0xF0) == 0xE0) len = 3, cp = b & 0x0F, min = 0x800;
  else if ((b & 0xF8) == 0xF0) len = 4, cp = b & 0x07, min = 0x10000;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < len; ++k) {
    uint8_t c = static_cast<uint8_t>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = cp << 6 | (c & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += len;
  return cp;
}

void appendEncoded(std::string& out, const Tables& t, uint32_t cp) {
  uint16_t e = cp < 0x10000 ? t.encode[cp] : 0;
  if (e == 0 && cp != 0) {
    out += '?';
  } else if (e < 0x100) {
    out += static_cast<char>(e);
  } else {
    out += static_cast<char>(e >> 8);
    out += static_cast<char>(e & 0xFF);
  }
}

// Walks code page 936 text, calling emit(code unit) per decoded character. A lone final lead
// byte decodes to nothing, or to U+FFFD when keepLoneLead is set.
template <typename Emit>
void decodeWith(std::string_view bytes, Emit emit, bool keepLoneLead = false) {
  const Tables& t = tables();
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    uint8_t b = static_cast<uint8_t>(bytes[i]);
    if (b < 0x80) {
      emit(static_cast<char16_t>(b));
      ++i;
    } else if (b == 0x80) {
      emit(kEuro);
      ++i;
    } else if (b == 0xFF) {
      emit(kReplacement);
      ++i;
    } else if (i + 1 == n) {
      if (keepLoneLead) emit(kReplacement);
      break;
    } else {
      char16_t u = t.decode[(b - 0x81) * kTrailCount + static_cast<uint8_t>(bytes[i + 1])];
      if (u != 0) {
        emit(u);
        i += 2;
      } else {
        emit(kReplacement);  // consumes the lead only
        ++i;
      }
    }
  }
}

}  // namespace

std::optional<char16_t> decodeChar(uint8_t lead, uint8_t trail) {
  if (!isLead(lead)) return std::nullopt;
  char16_t u = tables().decode[(lead - 0x81) * kTrailCount + trail];
  if (u == 0) return std::nullopt;
  return u;
}

std::optional<char16_t> decodeByte(uint8_t b) {
  if (b < 0x80) return static_cast<char16_t>(b);
  if (b == 0x80) return kEuro;
  return std::nullopt;
}

std::u16string decode(std::string_view bytes) {
  // Never more units than bytes: write through a pointer, then trim.
  std::u16string out(bytes.size(), u'\0');
  char16_t* o = out.data();
  decodeWith(bytes, [&](char16_t u) { *o++ = u; });
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string encode(std::u16string_view text) {
  const Tables& t = tables();
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t u : text) appendEncoded(out, t, u);  // a lone surrogate has no encoding: '?'
  return out;
}

std::string toUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  decodeWith(bytes, [&](char16_t u) { appendUtf8(out, u); });
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  const Tables& t = tables();
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) appendEncoded(out, t, nextUtf8(utf8, i));
  return out;
}

std::string toUtf8Name(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 3);
  decodeWith(bytes, [&](char16_t u) { appendUtf8(out, u); }, true);
  return out;
}

std::string fromUtf8Name(std::string_view utf8) {
  const Tables& t = tables();
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = nextUtf8(utf8, i);
    if (cp == kReplacement) out += '\xFF';  // not a lead byte, so it never joins the next byte
    else appendEncoded(out, t, cp);
  }
  return out;
}

// A lead byte followed by a valid trail byte is one character, as CharNextA walks it; a lead
// byte before anything else (a separator, a NUL, the end) stands alone, so it never swallows
// the '/' or NUL after it.
size_t next(std::string_view bytes, size_t pos) {
  if (pos >= bytes.size()) return bytes.size();
  if (isLead(static_cast<uint8_t>(bytes[pos])) && pos + 1 < bytes.size() &&
      isTrail(static_cast<uint8_t>(bytes[pos + 1])))
    return pos + 2;
  return pos + 1;
}

namespace {
template <typename Change>
std::string mapAscii(std::string_view bytes, Change change) {
  std::string out(bytes);
  for (size_t i = 0; i < out.size();) {
    size_t n = next(bytes, i);
    if (n == i + 1) out[i] = change(out[i]);
    i = n;
  }
  return out;
}
}  // namespace

std::string asciiLower(std::string_view bytes) {
  return mapAscii(bytes, [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
}

std::string asciiUpper(std::string_view bytes) {
  return mapAscii(bytes, [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; });
}

size_t fitLength(std::string_view bytes, size_t max) {
  if (bytes.size() <= max) return bytes.size();
  size_t i = 0;
  while (i < bytes.size()) {
    size_t n = next(bytes, i);
    if (n > max) break;
    i = n;
  }
  return i;
}

size_t wholeLength(std::string_view bytes, size_t max) {
  const size_t end = bytes.size() < max ? bytes.size() : max;
  size_t i = 0;
  while (i < end) {
    const size_t step = isLead(static_cast<uint8_t>(bytes[i])) ? 2 : 1;
    if (i + step > end) break;
    i += step;
  }
  return i;
}

}  // namespace plat::cp936
