// Archive heads and entries that lie: every damage gives its log line and a safe result.
#include <algorithm>
#include <filesystem>
#include <functional>

#include "tests/engine/pak_fixture.h"

namespace pak_test {
namespace {

class PakArchive : public PakTest {};

void putU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void putU16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
uint32_t getU32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

TEST_F(PakArchive, Corrupt) {
  // One entry of three compressed blocks: 65536, 65536 and 1000 bytes.
  const Bytes source = compressible(2 * 65536 + 1000, 11);
  Bytes good;
  std::string error;
  ASSERT_TRUE(mkpak::build({{"e.bin", source}}, false, good, error)) << error;
  const uint32_t table = getU32(good, 24);  // entry 0's block table
  const size_t block1 = table + 6 + (good[table] | good[table + 1] << 8);
  const uint16_t block1Length = static_cast<uint16_t>(good[table + 2] | good[table + 3] << 8);

  enum Stage { OpenFails, EntryFails, ReadStops, ReadAny };
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    Stage stage;
    const char* line;
    size_t readable;  // ReadStops: the bytes a whole read returns
  };
  const Case cases[] = {
      {"12-byte file", [](Bytes& b) { b.resize(12); }, OpenFails, "read head error of file data.pak", 0},
      {"VORX", [](Bytes& b) { b[3] = 'X'; }, OpenFails, "error copyright of file data.pak", 0},
      {"PAK!", [](Bytes& b) { b[7] = '!'; }, OpenFails, "error file id of file data.pak", 0},
      {"version 2", [](Bytes& b) { putU32(b, 8, 2); }, OpenFails, "error file version data.pak", 0},
      {"N past the end", [](Bytes& b) { putU32(b, 16, 0x10000000); }, OpenFails, "error entry table of file data.pak", 0},
      {"entry offset past the end", [](Bytes& b) { putU32(b, 24, static_cast<uint32_t>(b.size() + 10)); }, EntryFails,
       "error entry 0 of file data.pak", 0},
      {"block length past the end", [&](Bytes& b) { putU16(b, table + 4, 0xFFFF); }, EntryFails,
       "error entry 0 of file data.pak", 0},
      {"raw block past the end", [&](Bytes& b) { putU16(b, table + 4, 0); }, EntryFails,
       "error entry 0 of file data.pak", 0},
      {"block decompresses short", [](Bytes& b) { putU32(b, 28, 2 * 65536 + 2000); }, ReadStops,
       "error block 2 of file data.pak", 2 * 65536},
      {"block decompresses long", [](Bytes& b) { putU32(b, 28, 2 * 65536 + 500); }, ReadStops,
       "error block 2 of file data.pak", 2 * 65536},
      {"block length cut", [&](Bytes& b) { putU16(b, table + 2, static_cast<uint16_t>(block1Length / 2)); }, ReadStops,
       "error block 1 of file data.pak", 65536},
      {"flipped bytes in a block",
       [&](Bytes& b) {
         for (size_t i = 0; i < block1Length; i += 97) b[block1 + i] ^= 0x5A;
       },
       ReadAny, "error block 1 of file data.pak", 65536},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    pak_reset();
    clearLog();
    Bytes damaged = good;
    c.damage(damaged);
    writeFile("data.pak", damaged);
    PAK_ARCHIVE* a = pak_open_archive("data.pak");
    if (c.stage == OpenFails) {
      EXPECT_EQ(a, nullptr);
      EXPECT_EQ(pak_current_archive(), nullptr);
      EXPECT_EQ(logLines(), std::vector<std::string>{c.line});
      continue;
    }
    ASSERT_NE(a, nullptr);
    PAK_FILE* f = pak_fopen("e.bin", "rb");
    if (c.stage == EntryFails) {
      EXPECT_EQ(f, nullptr);
      EXPECT_EQ(logLines(), std::vector<std::string>{c.line});
      continue;
    }
    ASSERT_NE(f, nullptr);
    // Whole and in 4 KB pieces: never a byte that was not decoded from the archive.
    for (size_t chunk : {source.size() + 10, size_t{4096}}) {
      clearLog();
      pak_fseek(f, 0, 0);
      Bytes got;
      Bytes buf(chunk, 0xA5);
      for (size_t n; (n = pak_fread(buf.data(), 1, chunk, f)) > 0;) got.insert(got.end(), buf.begin(), buf.begin() + long(n));
      const std::vector<std::string> lines = logLines();
      if (c.stage == ReadAny && lines.empty()) {
        // LZO carries no checksum: damaged literals may decode to other bytes of full length.
        EXPECT_EQ(got.size(), source.size());
      } else {
        EXPECT_EQ(got.size(), c.readable) << "chunk " << chunk;
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], c.line);
      }
      EXPECT_TRUE(std::equal(source.begin(), source.begin() + 65536, got.begin())) << "chunk " << chunk;
      if (c.stage == ReadStops) {
        EXPECT_TRUE(std::equal(got.begin(), got.end(), source.begin())) << "chunk " << chunk;
      }
    }
    pak_fclose(f);
  }
}

TEST_F(PakArchive, FileCutAfterOpenStopsTheRead) {
  const Bytes source = incompressible(3 * 65536, 12);
  const Bytes archive = pack({{"raw.bin", source}}, true);
  ASSERT_NE(pak_open_archive("data.pak"), nullptr);
  PAK_FILE* f = pak_fopen("raw.bin", "rb");
  ASSERT_NE(f, nullptr);
  std::filesystem::resize_file(dir.hostPath("data.pak"), archive.size() - 65536 - 10);
  Bytes buf(source.size(), 0xA5);
  EXPECT_EQ(pak_fread(buf.data(), 1, buf.size(), f), 65536u);
  EXPECT_TRUE(std::equal(source.begin(), source.begin() + 65536, buf.begin()));
  EXPECT_EQ(logLines(), std::vector<std::string>{"error block 1 of file data.pak"});
  pak_fclose(f);
}

TEST_F(PakArchive, CurrentArchiveAndClose) {
  const Bytes one = compressible(80000, 21);
  const Bytes two = compressible(500, 22);
  pack({{"one.bin", one}}, false, "one.pak");
  pack({{"two.bin", two}}, false, "two.pak");
  EXPECT_EQ(pak_open_archive("missing.pak"), nullptr);
  EXPECT_TRUE(logLines().empty());  // an archive that is not there is not an error
  PAK_ARCHIVE* a = pak_open_archive("one.pak");
  PAK_ARCHIVE* b = pak_open_archive("two.pak");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(pak_current_archive(), b);  // the last opened
  EXPECT_EQ(pak_fopen("one.bin", "rb"), nullptr);
  pak_set_current_archive(a);
  PAK_FILE* f = pak_fopen("one.bin", "rb");
  ASSERT_NE(f, nullptr);
  Bytes buf(70000);
  ASSERT_EQ(pak_fread(buf.data(), 1, 100, f), 100u);

  // Closed while an entry is open: no longer current at once, the open entry reads on.
  pak_close_archive(a);
  EXPECT_EQ(pak_current_archive(), nullptr);
  EXPECT_EQ(pak_fopen("one.bin", "rb"), nullptr);
  pak_set_current_archive(a);  // a closed archive cannot come back
  EXPECT_EQ(pak_current_archive(), nullptr);
  ASSERT_EQ(pak_fread(buf.data(), 1, 70000, f), 70000u);
  EXPECT_TRUE(std::equal(buf.begin(), buf.end(), one.begin() + 100));
  pak_close_archive(a);  // twice is harmless
  EXPECT_EQ(pak_fclose(f), 0);  // the last entry releases the archive

  pak_set_current_archive(b);
  PAK_FILE* g = pak_fopen("two.bin", "rb");
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(pak_fread(buf.data(), 1, 1000, g), 500u);
  EXPECT_TRUE(std::equal(two.begin(), two.end(), buf.begin()));
  pak_fclose(g);
  pak_close_archive(b);
  EXPECT_EQ(pak_current_archive(), nullptr);
}

TEST_F(PakArchive, PackedFromAManifest) {
  // What the mkpak command does: NAME<TAB>SOURCE lines, sources relative to the manifest.
  const Bytes a = compressible(100000, 31);
  const Bytes b = incompressible(70000, 32);
  writeFile("src/a.bin", a);
  writeFile("src/b.bin", b);
  dir.write("src/manifest.txt", "system\\Head.mda\ta.bin\r\n\nmaps/b.map\t" + dir.hostPath("src/b.bin") + "\n");
  for (bool raw : {false, true}) {
    pak_reset();
    std::string error;
    ASSERT_TRUE(mkpak::packManifest(dir.hostPath("out.pak"), dir.hostPath("src/manifest.txt"), raw, error)) << error;
    ASSERT_NE(pak_open_archive("out.pak"), nullptr);
    for (const auto& [name, data] : {std::pair{"SYSTEM\\HEAD.MDA", &a}, std::pair{"maps/b.map", &b}}) {
      PAK_FILE* f = pak_fopen(name, "rb");
      ASSERT_NE(f, nullptr) << name;
      EXPECT_TRUE(readAll(f, 65536) == *data) << name;
      pak_fclose(f);
    }
  }
  std::string error;
  dir.write("src/bad.txt", "no tab here\n");
  EXPECT_FALSE(mkpak::packManifest(dir.hostPath("x.pak"), dir.hostPath("src/bad.txt"), false, error));
  EXPECT_NE(error.find("bad.txt:1"), std::string::npos) << error;
  dir.write("src/missing.txt", "a\tnot-there.bin\n");
  EXPECT_FALSE(mkpak::packManifest(dir.hostPath("x.pak"), dir.hostPath("src/missing.txt"), false, error));
  EXPECT_NE(error.find("not-there.bin"), std::string::npos) << error;
}

}  // namespace
}  // namespace pak_test
