// Fixture of the PAK tests: a headless game folder with the SYSTEM log on (so that error lines
// land in error.txt), archives made by the test-only packer, and seeded source bytes.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/pak/pak.h"
#include "engine/system/system.h"
#include "tests/support/headless_fixture.h"
#include "tools/mkpak/mkpak.h"

namespace pak_test {

using Bytes = std::vector<uint8_t>;

// Text-like bytes that LZO shrinks well.
inline Bytes compressible(size_t n, uint32_t seed) {
  static const char* const words[] = {"sword ", "shield ", "potion ", "dragon ", "castle ", "gold ", "\r\n"};
  std::mt19937 gen(seed);
  Bytes out;
  out.reserve(n + 8);
  while (out.size() < n) {
    const char* w = words[gen() % 7];
    while (*w && out.size() < n) out.push_back(static_cast<uint8_t>(*w++));
  }
  return out;
}

// Uniform random bytes: LZO cannot fit a full block into a u16 length, so they are stored raw.
inline Bytes incompressible(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes out(n);
  for (uint8_t& b : out) b = static_cast<uint8_t>(gen() >> 24);
  return out;
}

// Alternating compressible and random 64 KB stretches: blocks stored both ways in one entry.
inline Bytes mixed(size_t n, uint32_t seed) {
  Bytes out = compressible(n, seed);
  const Bytes noise = incompressible(n, seed + 1);
  for (size_t i = 0; i < n; ++i)
    if ((i >> 16) & 1) out[i] = noise[i];
  return out;
}

class PakTest : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ASSERT_EQ(system_module_init(), 0);
    logStart_ = dir.read("error.txt").size();
  }

  // Packs the items into the game folder's `name` and returns the archive bytes.
  Bytes pack(const std::vector<mkpak::Item>& items, bool raw = false, const std::string& name = "data.pak") {
    Bytes bytes;
    std::string error;
    EXPECT_TRUE(mkpak::build(items, raw, bytes, error)) << error;
    writeFile(name, bytes);
    return bytes;
  }
  void writeFile(const std::string& name, const Bytes& bytes) {
    dir.write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  PAK_ARCHIVE* packAndOpen(const std::vector<mkpak::Item>& items, bool raw = false) {
    pack(items, raw);
    PAK_ARCHIVE* a = pak_open_archive("data.pak");
    EXPECT_NE(a, nullptr);
    return a;
  }

  // Forgets the lines logged so far.
  void clearLog() {
    std::error_code ec;
    std::filesystem::remove(dir.hostPath("error.txt"), ec);
    logStart_ = 0;
  }

  // Lines logged since SetUp or clearLog, without the CRLF ends.
  std::vector<std::string> logLines() const {
    const std::string all = dir.exists("error.txt") ? dir.read("error.txt") : std::string();
    std::vector<std::string> lines;
    size_t at = std::min(logStart_, all.size());
    while (at < all.size()) {
      size_t end = all.find("\r\n", at);
      if (end == std::string::npos) end = all.size();
      lines.push_back(all.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  // Reads the whole file in chunks of `chunk` bytes.
  static Bytes readAll(PAK_FILE* f, size_t chunk) {
    Bytes out;
    Bytes buf(chunk);
    for (;;) {
      const size_t n = pak_fread(buf.data(), 1, chunk, f);
      out.insert(out.end(), buf.begin(), buf.begin() + static_cast<long>(n));
      if (n < chunk) return out;
    }
  }

 private:
  size_t logStart_ = 0;
};

}  // namespace pak_test
