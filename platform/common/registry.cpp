// The registry stand-in: read-only values from registry.ini (or VELDRA_REGISTRY) over defaults.
//
// File format (code page 936 text, one entry per line; blanks around names and data are ignored):
//
//   # comment            ; comment
//   [HKCR\.htm]          a key: hive (HKCR, HKCU, HKLM or their HKEY_... long names), '\', path
//   @=htmlfile           the key's default value
//   locale=00000804      a named string value
//   name="  text  "      double quotes keep blanks at the ends of the data
//   UseCpu=dword:0000000a   a DWORD value: hex digits alone to the end of the line, as in .reg
//                          files (a sign, blank, "0x" or other text skips the line)
//
// Key paths and value names ignore ASCII letter case. Lines before the first key, lines without
// '=' and keys with an unknown hive are skipped with a debug line.
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

#include "common/common.h"
#include "plat/cp936.h"

namespace plat::common {

namespace {

struct Value {
  bool isDword = false;
  std::string text;
  uint32_t dword = 0;
};

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

// Lowercase ASCII, single backslashes, none at the ends.
std::string normaliseKey(std::string_view key) {
  std::string k = cp936::asciiLower(key);
  std::string out;
  for (size_t i = 0; i < k.size();) {
    size_t e = cp936::next(k, i);
    if (e == i + 1 && (k[i] == '\\' || k[i] == '/')) {
      if (!out.empty() && out.back() != '\\') out += '\\';
    } else {
      out.append(k, i, e - i);
    }
    i = e;
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool parseHive(std::string_view name, Hive& hive) {
  std::string n = cp936::asciiLower(name);
  if (n == "hkcr" || n == "hkey_classes_root") hive = Hive::ClassesRoot;
  else if (n == "hkcu" || n == "hkey_current_user") hive = Hive::CurrentUser;
  else if (n == "hklm" || n == "hkey_local_machine") hive = Hive::LocalMachine;
  else return false;
  return true;
}

class IniRegistryImpl final : public IniRegistry {
 public:
  explicit IniRegistryImpl(const std::string& iniHostPath) {
    const char* lang = std::getenv("LANG");
    bool simplified = lang && std::strncmp(lang, "zh_CN", 5) == 0;
    put(Hive::ClassesRoot, ".htm", "", text("htmlfile"));
    put(Hive::ClassesRoot, "htmlfile\\shell\\open\\command", "", text("xdg-open \"%1\""));
    put(Hive::CurrentUser, "Control Panel\\International", "locale", text(simplified ? "00000804" : "00000409"));
    if (!iniHostPath.empty()) load(iniHostPath);
    // The JPEG codec's processor class, settable without a registry file (tests, benchmarks).
    if (const char* cpu = std::getenv("VELDRA_JCODEC_USECPU")) {
      char* end = nullptr;
      const unsigned long n = std::strtoul(cpu, &end, 10);
      if (*cpu >= '0' && *cpu <= '9' && end && *end == 0 && n <= 0xFFFFFFFFul) {
        Value v;
        v.isDword = true;
        v.dword = static_cast<uint32_t>(n);
        put(Hive::LocalMachine, "Software\\Vorn\\JCodec", "USECPU", v);
      }
    }
  }

  std::optional<std::string> readString(Hive hive, std::string_view key, std::string_view valueName) override {
    std::lock_guard lock(m_);
    const Value* v = find(hive, key, valueName);
    if (!v || v->isDword) return std::nullopt;
    return v->text;
  }

  std::optional<uint32_t> readDword(Hive hive, std::string_view key, std::string_view valueName) override {
    std::lock_guard lock(m_);
    const Value* v = find(hive, key, valueName);
    if (!v || !v->isDword) return std::nullopt;
    return v->dword;
  }

  bool keyExists(Hive hive, std::string_view key) override {
    std::lock_guard lock(m_);
    std::string k = normaliseKey(key);
    // The key itself, or a key below it (opening "htmlfile\shell" works when only its subkey
    // holds values).
    for (auto it = keys_.lower_bound({hive, k}); it != keys_.end() && it->first.first == hive; ++it) {
      const std::string& found = it->first.second;
      if (found.compare(0, k.size(), k) != 0) break;
      if (found.size() == k.size() || k.empty() || found[k.size()] == '\\') return true;
    }
    return false;
  }

  void set(Hive hive, const std::string& key, const std::string& value, const std::string& data) override {
    std::lock_guard lock(m_);
    put(hive, key, value, text(data));
  }

 private:
  static Value text(std::string s) {
    Value v;
    v.text = std::move(s);
    return v;
  }

  void put(Hive hive, std::string_view key, std::string_view value, Value v) {
    keys_[{hive, normaliseKey(key)}][cp936::asciiLower(value)] = std::move(v);
  }

  const Value* find(Hive hive, std::string_view key, std::string_view valueName) const {
    auto k = keys_.find({hive, normaliseKey(key)});
    if (k == keys_.end()) return nullptr;
    auto v = k->second.find(cp936::asciiLower(valueName));
    return v == k->second.end() ? nullptr : &v->second;
  }

  void load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;  // no file: the defaults alone
    std::string line;
    int lineNo = 0;
    bool haveKey = false;
    Hive hive = Hive::ClassesRoot;
    std::string key;
    while (std::getline(in, line)) {
      ++lineNo;
      std::string t = trim(line);
      if (t.empty() || t[0] == '#' || t[0] == ';') continue;
      if (t[0] == '[') {
        haveKey = false;
        size_t close = t.rfind(']');
        std::string inner = close == std::string::npos ? "" : t.substr(1, close - 1);
        size_t slash = inner.find('\\');
        std::string hiveName = inner.substr(0, slash);
        if (close == std::string::npos || !parseHive(hiveName, hive)) {
          skipped(path, lineNo);
          continue;
        }
        key = slash == std::string::npos ? "" : inner.substr(slash + 1);
        haveKey = true;
        continue;
      }
      size_t eq = t.find('=');
      if (!haveKey || eq == std::string::npos) {
        skipped(path, lineNo);
        continue;
      }
      std::string name = trim(std::string_view(t).substr(0, eq));
      std::string data = trim(std::string_view(t).substr(eq + 1));
      if (name == "@") name.clear();
      if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
      Value v;
      if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
        v.text = data.substr(1, data.size() - 2);
      } else if (data.compare(0, 6, "dword:") == 0) {
        // Hexadecimal digits to the end of the line: no sign, blank, "0x" or NUL before more text.
        const char* digits = data.data() + 6;
        const char* end = data.data() + data.size();
        const auto [stop, error] = std::from_chars(digits, end, v.dword, 16);
        if (error != std::errc() || stop != end) {
          skipped(path, lineNo);
          continue;
        }
        v.isDword = true;
      } else {
        v.text = data;
      }
      put(hive, key, name, std::move(v));
    }
  }

  static void skipped(const std::string& path, int lineNo) {
    debugOutToStderr("registry: " + cp936::fromUtf8(path) + " line " + std::to_string(lineNo) + " skipped");
  }

  std::mutex m_;
  std::map<std::pair<Hive, std::string>, std::map<std::string, Value>> keys_;
};

}  // namespace

std::unique_ptr<IniRegistry> makeIniRegistry(const std::string& iniHostPath) {
  return std::make_unique<IniRegistryImpl>(iniHostPath);
}

}  // namespace plat::common
