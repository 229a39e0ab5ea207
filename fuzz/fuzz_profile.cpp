// Ini files: the input's first byte picks a section and a key, the rest is the file. Every
// lookup answers; a write of that key reads back as written, lists the key in its section, and
// leaves every other lookup as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "plat/cp936.h"
#include "plat/profile.h"

namespace {

const char* const kSections[] = {"FTPConfig", "DeleteFiles", "DeleteDirectorys", "a", "", "\x81\x41"};
const char* const kKeys[] = {"CurrentVersion", "k", "A", "first", "\x81\x61"};

bool same(std::string_view a, std::string_view b) { return plat::cp936::asciiLower(a) == plat::cp936::asciiLower(b); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  namespace profile = plat::profile;
  const std::string_view section = kSections[data[0] % std::size(kSections)];
  const std::string_view key = kKeys[(data[0] / std::size(kSections)) % std::size(kKeys)];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::string written = profile::withValue(text, section, key, "1.0.2.0");
  std::string value;
  if (!profile::findValue(written, section, key, value) || value != "1.0.2.0") std::abort();
  bool listed = false;
  for (const std::string& name : profile::keyNames(written, section)) listed |= same(name, key);
  if (!listed) std::abort();

  for (const char* s : kSections) {
    for (const char* k : kKeys) {
      if (same(s, section) && same(k, key)) continue;
      std::string before, after;
      const bool had = profile::findValue(text, s, k, before);
      if (profile::findValue(written, s, k, after) != had || before != after) std::abort();
    }
  }
  return 0;
}
