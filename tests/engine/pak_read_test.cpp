// Reading archive entries and disk files through the PAK layer.
#include <algorithm>
#include <cstring>
#include <memory>

#include "tests/engine/pak_fixture.h"

namespace pak_test {
namespace {

class PakRead : public PakTest {};

// The stored lengths of the entry's block table (the archive as mkpak wrote it).
std::vector<uint16_t> blockLengths(const Bytes& archive, uint32_t hash) {
  const uint32_t n = archive[16] | archive[17] << 8 | archive[18] << 16 | uint32_t(archive[19]) << 24;
  auto u32 = [&](size_t at) { return archive[at] | archive[at + 1] << 8 | archive[at + 2] << 16 | uint32_t(archive[at + 3]) << 24; };
  for (uint32_t i = 0; i < n; ++i) {
    const size_t e = 20 + 12 * i;
    if (u32(e) != hash) continue;
    const uint32_t offset = u32(e + 4), size = u32(e + 8);
    std::vector<uint16_t> lengths;
    for (uint32_t b = 0; b < (size + 65535) / 65536; ++b)
      lengths.push_back(static_cast<uint16_t>(archive[offset + 2 * b] | archive[offset + 2 * b + 1] << 8));
    return lengths;
  }
  return {};
}

TEST_F(PakRead, RoundTrip) {
  const size_t sizes[] = {0, 1, 65535, 65536, 65537, 200000};
  const size_t chunks[] = {1, 7, 4096, 65536, 70000};
  struct Packing {
    const char* name;
    bool raw;
    Bytes (*make)(size_t, uint32_t);
  };
  const Packing packings[] = {{"compressed", false, compressible}, {"raw", true, compressible}, {"mixed", false, mixed}};
  for (const Packing& p : packings) {
    SCOPED_TRACE(p.name);
    pak_reset();
    std::vector<mkpak::Item> items;
    for (size_t s : sizes) items.push_back({"data\\f" + std::to_string(s) + ".bin", p.make(s, uint32_t(s))});
    const Bytes archive = pack(items, p.raw);
    ASSERT_NE(pak_open_archive("data.pak"), nullptr);
    if (std::string(p.name) == "mixed") {
      // The fixture must really hold both kinds of block in one entry.
      const auto lengths = blockLengths(archive, pak_name_hash("data\\f200000.bin"));
      ASSERT_EQ(lengths.size(), 4u);
      EXPECT_NE(std::count(lengths.begin(), lengths.end(), 0), 0);
      EXPECT_NE(std::count(lengths.begin(), lengths.end(), 0), 4);
    }
    for (const mkpak::Item& it : items) {
      SCOPED_TRACE(it.name);
      PAK_FILE* f = pak_fopen(it.name.c_str(), "rb");
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(pak_fsize(f), static_cast<long>(it.data.size()));
      Bytes whole(it.data.size() + 10, 0xEE);
      EXPECT_EQ(pak_fread(whole.data(), 1, whole.size(), f), it.data.size());
      whole.resize(it.data.size());
      EXPECT_TRUE(whole == it.data);
      // A buffer of exactly the entry's size: the last block, raw or compressed, goes straight
      // into it and must not write past its end (the sanitizer tree checks).
      pak_fseek(f, 0, 0);
      auto exact = std::make_unique<uint8_t[]>(it.data.size() + 1);
      EXPECT_EQ(pak_fread(exact.get(), 1, it.data.size(), f), it.data.size());
      EXPECT_TRUE(std::equal(it.data.begin(), it.data.end(), exact.get()));
      for (size_t chunk : chunks) {
        pak_fseek(f, 0, 0);
        EXPECT_TRUE(readAll(f, chunk) == it.data) << "chunk " << chunk;
      }
      pak_fclose(f);
    }
  }
}

TEST_F(PakRead, Lookup) {
  const Bytes head = compressible(5000, 1);
  const Bytes packed = compressible(300, 2);
  const Bytes onDisk = incompressible(300, 3);
  const Bytes town = compressible(70000, 4);
  ASSERT_NE(packAndOpen({{"system\\head.mda", head}, {"data\\both.txt", packed}, {"maps\\town.map", town}}), nullptr);
  writeFile("data/both.txt", onDisk);
  dir.mkdir("maps/town.map");
  dir.mkdir("folder.txt");

  struct Case {
    const char* path;
    const Bytes* expected;  // null: no file
  };
  const Case cases[] = {
      {"data\\both.txt", &onDisk},       // disk wins over the archive
      {"DATA/Both.TXT", &onDisk},        // any case, either separator on disk
      {"SYSTEM\\HEAD.MDA", &head},       // the entry stored as system\head.mda
      {"system/head.mda", nullptr},      // another name: separators are not normalised
      {"maps\\town.map", &town},         // a folder on disk is no file: the archive answers
      {"folder.txt", nullptr},           // a folder and no entry
      {"system\\missing.mda", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    PAK_FILE* f = pak_fopen(c.path, "rb");
    ASSERT_EQ(f != nullptr, c.expected != nullptr);
    if (!f) continue;
    EXPECT_EQ(pak_fsize(f), static_cast<long>(c.expected->size()));
    EXPECT_TRUE(readAll(f, 4096) == *c.expected);
    EXPECT_EQ(pak_fclose(f), 0);
  }
  EXPECT_TRUE(logLines().empty());
  EXPECT_EQ(pak_fclose(nullptr), 0);

  // With no archive current every open is a disk open.
  pak_set_current_archive(nullptr);
  EXPECT_EQ(pak_fopen("system\\head.mda", "rb"), nullptr);
}

TEST_F(PakRead, BlockCounts) {
  const Bytes big = compressible(200000, 9);
  std::vector<mkpak::Item> items{{"big.bin", big}};
  for (int i = 0; i < 9; ++i) items.push_back({"small" + std::to_string(i), mixed(100000, 100 + i)});
  ASSERT_NE(packAndOpen(items), nullptr);

  PAK_FILE* f = pak_fopen("big.bin", "rb");
  ASSERT_NE(f, nullptr);
  Bytes buf(70000);
  ASSERT_EQ(pak_fread(buf.data(), 1, 70000, f), 70000u);
  EXPECT_TRUE(std::equal(buf.begin(), buf.end(), big.begin()));
  EXPECT_EQ(pak_decode_stats().decodes, 2u);  // block 0 straight into the buffer, block 1 through a slot
  EXPECT_EQ(pak_decode_stats().direct, 1u);

  struct Sequential {
    size_t chunk;
    uint64_t decodes, direct;
  };
  // Whole-block reads decode straight into the buffer, the short last block included.
  for (const Sequential& s : {Sequential{65536, 4, 4}, Sequential{4096, 4, 1}, Sequential{1000, 4, 0}}) {
    pak_fseek(f, 0, 0);
    const PakDecodeStats before = pak_decode_stats();
    EXPECT_TRUE(readAll(f, s.chunk) == big);
    EXPECT_EQ(pak_decode_stats().decodes - before.decodes, s.decodes) << s.chunk;
    EXPECT_EQ(pak_decode_stats().direct - before.direct, s.direct) << s.chunk;
  }
  pak_fclose(f);

  // Nine entries reading in turn: the ninth evicts the least recently used slot.
  PAK_FILE* files[9];
  std::vector<Bytes> sources;
  for (int i = 0; i < 9; ++i) {
    files[i] = pak_fopen(items[1 + i].name.c_str(), "rb");
    ASSERT_NE(files[i], nullptr);
    sources.push_back(items[1 + i].data);
  }
  size_t pos[9] = {};
  auto readSome = [&](int i) {
    Bytes b(100);
    ASSERT_EQ(pak_fread(b.data(), 1, 100, files[i]), 100u);
    EXPECT_TRUE(std::equal(b.begin(), b.end(), sources[i].begin() + static_cast<long>(pos[i]))) << "entry " << i;
    pos[i] += 100;
  };
  const uint64_t start = pak_decode_stats().decodes;
  for (int i = 0; i < 9; ++i) readSome(i);
  EXPECT_EQ(pak_decode_stats().decodes - start, 9u);
  for (int i = 1; i < 9; ++i) readSome(i);  // all still cached
  EXPECT_EQ(pak_decode_stats().decodes - start, 9u);
  readSome(0);  // evicted by the ninth: decodes again, evicting entry 1, now the oldest
  EXPECT_EQ(pak_decode_stats().decodes - start, 10u);
  readSome(2);
  EXPECT_EQ(pak_decode_stats().decodes - start, 10u);
  readSome(1);
  EXPECT_EQ(pak_decode_stats().decodes - start, 11u);
  // Closing frees slots; the rest go on reading correct data.
  pak_fclose(files[4]);
  pak_fclose(files[7]);
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 9; ++i)
      if (i != 4 && i != 7) readSome(i);
  for (int i = 0; i < 9; ++i)
    if (i != 4 && i != 7) pak_fclose(files[i]);
}

// Reference model of an entry: the layer's byte counts, SEEK_END at the last byte, clamping.
struct Model {
  const Bytes* data;
  int64_t pos = 0;
  void seek(int64_t offset, int whence) {
    const int64_t size = static_cast<int64_t>(data->size());
    int64_t to = pos;
    if (whence == 0) to = offset;
    if (whence == 1) to = pos + offset;
    if (whence == 2) to = size + offset - 1;
    if (whence > 2) return;
    pos = size == 0 ? 0 : std::clamp<int64_t>(to, 0, size - 1);
  }
  size_t read(uint8_t* out, size_t want) {
    const int64_t size = static_cast<int64_t>(data->size());
    const size_t n = pos >= size ? 0 : std::min<size_t>(want, static_cast<size_t>(size - pos));
    std::memcpy(out, data->data() + pos, n);
    pos += static_cast<int64_t>(n);
    return n;
  }
};

TEST_F(PakRead, RandomSeeks) {
  const size_t sizes[] = {0, 1, 100, 65536, 65537, 140000, 200000};
  std::vector<mkpak::Item> items;
  for (size_t i = 0; i < std::size(sizes); ++i)
    items.push_back({"e" + std::to_string(i), i % 2 ? mixed(sizes[i], uint32_t(i)) : compressible(sizes[i], uint32_t(i))});
  ASSERT_NE(packAndOpen(items), nullptr);
  std::vector<PAK_FILE*> files;
  std::vector<Model> models;
  for (const auto& it : items) {
    files.push_back(pak_fopen(it.name.c_str(), "rb"));
    ASSERT_NE(files.back(), nullptr);
    models.push_back(Model{&it.data});
  }
  Bytes got(300000), want(300000);

  // A read ending exactly on a block boundary, then a seek inside the next block: the next
  // read must not serve the previous block's bytes.
  {
    PAK_FILE* f = files[6];
    Model& m = models[6];
    ASSERT_EQ(pak_fread(got.data(), 1, 65536 - 100, f), m.read(want.data(), 65536 - 100));
    ASSERT_EQ(pak_fread(got.data(), 1, 100, f), m.read(want.data(), 100));
    pak_fseek(f, 70000, 0);
    m.seek(70000, 0);
    ASSERT_EQ(pak_fread(got.data(), 1, 50, f), m.read(want.data(), 50));
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 50, want.begin()));
  }

  std::mt19937 gen(20240521);
  const size_t readSizes[] = {1, 7, 100, 4096, 65535, 65536, 65537, 70000, 131077};
  for (int step = 0; step < 4000; ++step) {
    const size_t i = gen() % files.size();
    PAK_FILE* f = files[i];
    Model& m = models[i];
    const int64_t size = static_cast<int64_t>(m.data->size());
    if (gen() % 3 == 0) {
      const int whence = gen() % 8 == 0 ? 3 + int(gen() % 5) : int(gen() % 3);
      const int64_t offset = static_cast<int64_t>(gen() % uint32_t(2 * size + 140001)) - size - 70000;
      ASSERT_EQ(pak_fseek(f, static_cast<long>(offset), whence), 0);
      m.seek(offset, whence);
    } else {
      const size_t item = 1 + gen() % 3;
      const size_t count = (gen() % 4 ? readSizes[gen() % std::size(readSizes)] : gen() % 200000) / item;
      std::fill(got.begin(), got.end(), 0xA5);
      const size_t n = pak_fread(got.data(), item, count, f);
      const size_t expected = m.read(want.data(), item * count);
      ASSERT_EQ(n, expected) << "step " << step << " entry " << i;
      ASSERT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(n), want.begin())) << "step " << step;
    }
    ASSERT_EQ(pak_ftell(f), m.pos) << "step " << step << " entry " << i;
  }
  for (PAK_FILE* f : files) pak_fclose(f);
}

TEST_F(PakRead, ItemCount) {
  const Bytes data = compressible(100, 5);
  ASSERT_NE(packAndOpen({{"packed.bin", data}}), nullptr);
  writeFile("disk.bin", data);
  uint8_t buf[6];
  PAK_FILE* disk = pak_fopen("disk.bin", "rb");
  PAK_FILE* entry = pak_fopen("packed.bin", "rb");
  ASSERT_NE(disk, nullptr);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(pak_fread(buf, 2, 3, disk), 3u);   // items, like fread
  EXPECT_EQ(pak_fread(buf, 2, 3, entry), 6u);  // bytes
  // At the end: a disk file counts whole items only; an entry the bytes left.
  pak_fseek(disk, -3, 2);
  EXPECT_EQ(pak_fread(buf, 2, 3, disk), 1u);
  pak_fseek(entry, -2, 2);  // the entry's SEEK_END is its last byte: 3 bytes left
  EXPECT_EQ(pak_fread(buf, 2, 3, entry), 3u);
  EXPECT_EQ(pak_fread(buf, 2, 3, entry), 0u);
  // Writing: an entry is read-only.
  EXPECT_EQ(pak_fwrite(buf, 2, 3, entry), 0u);
  pak_fclose(disk);
  pak_fclose(entry);
  PAK_FILE* out = pak_fopen("out.bin", "wb");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(pak_fwrite(buf, 2, 3, out), 3u);
  pak_fclose(out);
  EXPECT_EQ(dir.read("out.bin").size(), 6u);
}

}  // namespace
}  // namespace pak_test
