// registry.ini: the input is the game folder's registry.ini, read the way the platforms read it,
// then the values the program asks for and a few the file itself names. Any text loads: a
// value is a string or a DWORD, never both; a key that gives a value exists; names ignore ASCII
// case and '/' stands for '\'; the built-in keys stay.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "plat/cp936.h"
#include "platform/common/common.h"

using plat::Hive;

namespace {

struct Query {
  Hive hive;
  std::string key, name;
};

const Query kAsked[] = {
    {Hive::ClassesRoot, ".htm", ""},
    {Hive::ClassesRoot, "htmlfile\\shell\\open\\command", ""},
    {Hive::CurrentUser, "Control Panel\\International", "locale"},
    {Hive::LocalMachine, "Software\\Vorn\\JCodec", "USECPU"},
};

std::string ascii_upper(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i = plat::cp936::next(out, i)) {
    if (plat::cp936::next(out, i) == i + 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 32);
  }
  return out;
}

std::string slashes_forward(std::string_view s) {
  std::string out(s);
  for (size_t i = 0; i < out.size(); i = plat::cp936::next(out, i)) {
    if (plat::cp936::next(out, i) == i + 1 && out[i] == '\\') out[i] = '/';
  }
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The path of the first key line and the name of the first value line after it.
std::optional<Query> first_named(std::string_view text) {
  std::optional<Query> q;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!q) {
      const size_t slash = line.find('\\'), close = line.rfind(']');
      if (line.empty() || line[0] != '[' || slash == std::string_view::npos || close == std::string_view::npos ||
          slash > close)
        continue;
      q = Query{Hive::ClassesRoot, std::string(line.substr(slash + 1, close - slash - 1)), ""};
    } else if (const size_t eq = line.find('='); eq != std::string_view::npos) {
      q->name = std::string(trimmed(line.substr(0, eq)));
      if (q->name == "@") q->name.clear();
      break;
    }
  }
  return q;
}

void check(plat::IRegistry& reg, const Query& q) {
  const auto s = reg.readString(q.hive, q.key, q.name);
  const auto d = reg.readDword(q.hive, q.key, q.name);
  if (s && d) __builtin_trap();
  if ((s || d) && !reg.keyExists(q.hive, q.key)) __builtin_trap();
  // Same answers with the letters in upper case and the separators written as '/'.
  const std::string upper_key = ascii_upper(q.key), upper_name = ascii_upper(q.name);
  if (reg.readString(q.hive, upper_key, upper_name) != s) __builtin_trap();
  if (reg.readDword(q.hive, upper_key, upper_name) != d) __builtin_trap();
  if (reg.readString(q.hive, slashes_forward(q.key), q.name) != s) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz_support::installHeadlessGameDir("registry"), true);
  (void)ready;
  fuzz_support::writeGameFile("registry.ini", data, size);
  const auto reg = plat::common::makeIniRegistry((fuzz_support::gameDir() / "registry.ini").string());
  for (const Query& q : kAsked) check(*reg, q);
  if (!reg->keyExists(Hive::ClassesRoot, ".htm") || !reg->keyExists(Hive::ClassesRoot, "htmlfile\\shell") ||
      !reg->keyExists(Hive::CurrentUser, "Control Panel\\International"))
    __builtin_trap();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto q = first_named(text)) {
    for (Hive hive : {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine}) check(*reg, Query{hive, q->key, q->name});
  }
  return 0;
}
