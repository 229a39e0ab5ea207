// Timed message records for the headless backend, parsed from text.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/key_table.h"
#include "plat/headless.h"
#include "plat/text_lines.h"
#include "plat/winmsg.h"

namespace plat {

namespace {

// Decimal or 0x hex, at most 32 bits; a leading '-' only when negative is allowed.
bool parseNumber(std::string_view t, bool allowNegative, int64_t& out) {
  bool neg = false;
  if (!t.empty() && t[0] == '-') {
    if (!allowNegative) return false;
    neg = true;
    t.remove_prefix(1);
  }
  if (t.empty()) return false;
  uint64_t v = 0;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    t.remove_prefix(2);
    if (t.size() > 8) return false;
    for (char c : t) {
      int d;
      if (c >= '0' && c <= '9') d = c - '0';
      else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else return false;
      v = v * 16 + static_cast<uint64_t>(d);
    }
  } else {
    if (t.size() > 10) return false;
    for (char c : t) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
  }
  if (neg) {
    if (v > 0x80000000ull) return false;
    out = -static_cast<int64_t>(v);
  } else {
    out = static_cast<int64_t>(v);
  }
  return true;
}

std::vector<std::string_view> tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

[[noreturn]] void fail(size_t lineNo, const std::string& what, std::string_view token) {
  // Bounded quote of the offending token: the text may be anything.
  std::string shown(token.substr(0, 40));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
  throw std::invalid_argument("event script line " + std::to_string(lineNo) + ": " + what + " '" + shown + "'");
}

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

int32_t coordinate(size_t lineNo, std::string_view t) {
  int64_t n = 0;
  if (!parseNumber(t, true, n) || n < -32768 || n > 32767) fail(lineNo, "bad coordinate", t);
  return static_cast<int32_t>(n);
}

// The text after the keyword: one separating blank is dropped, the rest kept as written.
std::string_view restAfter(std::string_view line, std::string_view keyword) {
  size_t at = static_cast<size_t>(keyword.data() - line.data());  // keyword is a view into line
  std::string_view rest = line.substr(at + keyword.size());
  if (!rest.empty() && (rest[0] == ' ' || rest[0] == '\t')) rest.remove_prefix(1);
  return rest;
}

// The raw input forms; false when the word names none of them.
bool parseInput(size_t lineNo, std::string_view line, const std::vector<std::string_view>& t, ScriptInput& in) {
  using K = ScriptInput::Kind;
  std::string_view word = t[1];
  auto want = [&](size_t n) {
    if (t.size() != n) fail(lineNo, "wrong number of fields for", word);
  };
  if (sameWord(word, "KEYDOWN") || sameWord(word, "KEYUP")) {
    want(3);
    const common::KeyInfo* k = common::keyByName(t[2]);
    if (!k) fail(lineNo, "unknown key", t[2]);
    in.kind = sameWord(word, "KEYDOWN") ? K::KeyDown : K::KeyUp;
    in.usage = k->usage;
  } else if (sameWord(word, "TEXT") || sameWord(word, "COMPOSE")) {
    in.kind = sameWord(word, "TEXT") ? K::Text : K::Compose;
    in.text = std::string(restAfter(line, word));
    while (!in.text.empty() && (in.text.back() == ' ' || in.text.back() == '\t')) in.text.pop_back();
    if (in.kind == K::Text && in.text.empty()) fail(lineNo, "TEXT needs text", word);
  } else if (sameWord(word, "MOVE")) {
    want(4);
    in.kind = K::Move;
    in.point = Point{coordinate(lineNo, t[2]), coordinate(lineNo, t[3])};
  } else if (sameWord(word, "BUTTON")) {
    want(6);
    if (sameWord(t[2], "DOWN")) in.kind = K::ButtonDown;
    else if (sameWord(t[2], "UP")) in.kind = K::ButtonUp;
    else fail(lineNo, "expected down or up, got", t[2]);
    if (sameWord(t[3], "LEFT")) in.button = 1;
    else if (sameWord(t[3], "MIDDLE")) in.button = 2;
    else if (sameWord(t[3], "RIGHT")) in.button = 3;
    else fail(lineNo, "expected left, right or middle, got", t[3]);
    in.point = Point{coordinate(lineNo, t[4]), coordinate(lineNo, t[5])};
  } else if (sameWord(word, "WHEEL")) {
    want(3);
    std::string number(t[2]);
    char* end = nullptr;
    double v = std::strtod(number.c_str(), &end);
    if (number.empty() || end != number.c_str() + number.size() || !(v >= -1000 && v <= 1000))
      fail(lineNo, "bad wheel notches", t[2]);
    in.kind = K::Wheel;
    in.wheel = static_cast<float>(v);
  } else if (sameWord(word, "LEAVE")) {
    want(2);
    in.kind = K::Leave;
  } else {
    return false;
  }
  return true;
}

}  // namespace

EventScript EventScript::parse(std::string_view text) {
  EventScript script;
  TextLines lines(text);
  std::string_view line;
  while (lines.next(line)) {
    const size_t lineNo = lines.number();
    if (size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string_view> t = tokens(line);
    if (t.empty()) continue;
    if (sameWord(t[0], "AFTER")) {
      std::string text(restAfter(line, t[0]));
      while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.pop_back();
      if (text.empty()) fail(lineNo, "AFTER needs the text of a debugger-output line", t[0]);
      script.gates.push_back(std::move(text));
      continue;
    }
    if (t.size() < 2) fail(lineNo, "expected '<ms> <message> [wParam] [lParam]', got", line);

    ScriptEvent e;
    e.gate = static_cast<uint32_t>(script.gates.size());
    int64_t n = 0;
    std::string_view when = t[0];
    if (when[0] == '@') {  // "@<n>": at the n-th pump instead of a time
      if (!parseNumber(when.substr(1), false, n)) fail(lineNo, "bad frame number", when);
      e.atFrame = static_cast<uint32_t>(n);
    } else {
      if (!parseNumber(when, false, n)) fail(lineNo, "bad time", when);
      e.atMs = static_cast<uint32_t>(n);
    }
    if (parseInput(lineNo, line, t, e.input)) {
      script.events.push_back(e);
      continue;
    }
    if (t.size() > 4) fail(lineNo, "too many fields at", t[4]);
    std::string name(t[1]);
    if (name.find('\0') != std::string::npos) fail(lineNo, "unknown message", t[1]);
    if (!parseMessage(name.c_str(), e.message)) fail(lineNo, "unknown message", t[1]);
    if (t.size() > 2) {
      if (!parseNumber(t[2], false, n)) fail(lineNo, "bad wParam", t[2]);
      e.wParam = static_cast<uint32_t>(n);
    }
    if (t.size() > 3) {
      if (!parseNumber(t[3], true, n)) fail(lineNo, "bad lParam", t[3]);
      e.lParam = static_cast<int32_t>(static_cast<uint32_t>(n));  // 0xFFFFFFFF is -1
    }
    script.events.push_back(e);
  }
  return script;
}

}  // namespace plat
