// Section files: the input's first byte picks a block size, the rest is the file. Whatever the
// block size, the line index gives the same lines (checked against one pass of 2,048 bytes) and
// the lookups of every loaded section and key answer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "updater/section_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t block = 1 + data[0] % 64;
  const std::span<const uint8_t> bytes(data + 1, size - 1);

  updater::SectionLineIndex whole, split;
  whole.feed(bytes);
  whole.finish();
  for (size_t at = 0; at < bytes.size(); at += block) split.feed(bytes.subspan(at, std::min(block, bytes.size() - at)));
  split.finish();
  if (whole.lines().size() != split.lines().size()) std::abort();
  for (size_t i = 0; i < whole.lines().size(); ++i) {
    const auto& a = whole.lines()[i];
    const auto& b = split.lines()[i];
    if (a.offset != b.offset || a.length != b.length || a.offset + a.length > bytes.size()) std::abort();
  }

  updater::CSectionFile f;
  if (f.LoadBytes(bytes, block) != 0) std::abort();
  // Keys of the first section by index, then back by value.
  const std::string names[] = {"version+", "version-", "patch", "a"};
  for (const std::string& name : names) {
    const int n = f.GetKeyCount(name);
    for (int i = 0; i < n; ++i) {
      std::string key, value, again;
      if (f.GetEntry(i, name, key, value) != 0) std::abort();
      if (key.empty() || f.GetValue(name, key, again) != 0) std::abort();
    }
    std::string key, value;
    if (n >= 0 && f.GetEntry(n, name, key, value) != -1) std::abort();
  }
  return 0;
}
