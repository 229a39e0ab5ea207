// The PAK layer against its anchors: LZO decoding from memory, fread of raw bytes, fread of a
// disk file, and random reads over nine entries sharing the block cache; then a game-like archive
// of 201 mixed entries read whole, its LZO entries alone, and opened once per 4 KB read, each
// against decoding the same stored blocks from memory (LZO, or memcpy for raw blocks).
#include <benchmark/benchmark.h>
#include <lzo/lzo1x.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "core/pak/pak.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "tools/mkpak/mkpak.h"

namespace {

constexpr size_t kEntrySize = 16u << 20;
constexpr size_t kSmallEntry = 1u << 20;
constexpr size_t kBlock = 65536;

struct Fixture {
  std::filesystem::path dir;
  std::vector<uint8_t> text, noise;
  std::vector<std::vector<uint8_t>> packedBlocks;  // the text entry's stored blocks
  PAK_ARCHIVE* archive = nullptr;
};

std::vector<uint8_t> textBytes(size_t n, uint32_t seed) {
  static const char* const words[] = {"sword ", "shield ", "potion ", "dragon ", "castle ", "gold ", "\r\n"};
  std::mt19937 gen(seed);
  std::vector<uint8_t> out;
  out.reserve(n + 8);
  while (out.size() < n)
    for (const char* w = words[gen() % 7]; *w && out.size() < n;) out.push_back(static_cast<uint8_t>(*w++));
  return out;
}

// The stored blocks of the first entry of an archive with one entry.
std::vector<std::vector<uint8_t>> storedBlocks(const std::vector<uint8_t>& archive) {
  plat::ByteReader r(archive.data(), archive.size());
  r.seek(24);
  const uint32_t offset = r.u32(), size = r.u32();
  const size_t blocks = (size + kBlock - 1) / kBlock;
  r.seek(offset);
  std::vector<uint16_t> lengths;
  for (size_t b = 0; b < blocks; ++b) lengths.push_back(r.u16());
  std::vector<std::vector<uint8_t>> out;
  for (uint16_t l : lengths) {
    auto s = r.bytes(l ? l : kBlock);
    out.emplace_back(s.begin(), s.end());
  }
  return out;
}

Fixture& fixture() {
  static Fixture* f = [] {
    auto* fx = new Fixture;
    fx->dir = std::filesystem::temp_directory_path() / "veldra-bench-pak";
    std::filesystem::create_directories(fx->dir);
    plat::HeadlessOptions o;
    o.gameDir = fx->dir.string();
    o.watchdog = false;
    plat::installHeadless(o);
    fx->text = textBytes(kEntrySize, 1);
    std::mt19937 gen(2);
    fx->noise.resize(kEntrySize);
    for (uint8_t& b : fx->noise) b = static_cast<uint8_t>(gen() >> 24);
    std::string error;
    std::vector<uint8_t> one;
    mkpak::build({{"text.bin", fx->text}}, false, one, error);
    fx->packedBlocks = storedBlocks(one);
    std::vector<mkpak::Item> items{{"text.bin", fx->text}, {"raw.bin", fx->noise}};
    for (int i = 0; i < 9; ++i) items.push_back({"small" + std::to_string(i), textBytes(kSmallEntry, 10 + i)});
    mkpak::write((fx->dir / "data.pak").string(), items, false, error);
    std::ofstream((fx->dir / "plain.bin"), std::ios::binary)
        .write(reinterpret_cast<const char*>(fx->noise.data()), static_cast<std::streamsize>(kEntrySize));
    fx->archive = pak_open_archive("data.pak");
    return fx;
  }();
  return *f;
}

void readEntry(benchmark::State& state, const char* name, size_t chunk) {
  pak_set_current_archive(fixture().archive);
  std::vector<uint8_t> out(kEntrySize);
  for (auto _ : state) {
    PAK_FILE* f = pak_fopen(name, "rb");
    size_t at = 0;
    for (size_t n; (n = pak_fread(out.data() + at, 1, std::min(chunk, kEntrySize - at), f)) > 0;) at += n;
    pak_fclose(f);
    if (at != kEntrySize) state.SkipWithError("short read");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}

void BM_PakReadCompressed(benchmark::State& state) { readEntry(state, "text.bin", kBlock); }
BENCHMARK(BM_PakReadCompressed)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AnchorLzoFromMemory(benchmark::State& state) {
  Fixture& fx = fixture();
  lzo_init();
  std::vector<uint8_t> out(kEntrySize);
  for (auto _ : state) {
    for (size_t b = 0; b < fx.packedBlocks.size(); ++b) {
      const auto& s = fx.packedBlocks[b];
      lzo_uint n = kBlock;
      lzo1x_decompress_safe(s.data(), s.size(), out.data() + b * kBlock, &n, nullptr);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}
BENCHMARK(BM_AnchorLzoFromMemory)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PakReadRaw(benchmark::State& state) { readEntry(state, "raw.bin", kBlock); }
BENCHMARK(BM_PakReadRaw)->UseRealTime()->Unit(benchmark::kMillisecond);

void freadFile(benchmark::State& state, size_t chunk, size_t destSize) {
  Fixture& fx = fixture();
  const std::string path = (fx.dir / "plain.bin").string();
  std::vector<uint8_t> out(destSize);
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    size_t at = 0;
    for (size_t n; (n = std::fread(out.data() + (at % destSize), 1, chunk, f)) > 0;) at += n;
    std::fclose(f);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}

void BM_AnchorFreadRaw(benchmark::State& state) { freadFile(state, kBlock, kEntrySize); }
BENCHMARK(BM_AnchorFreadRaw)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_PakReadDiskFile4K(benchmark::State& state) {
  fixture();
  std::vector<uint8_t> out(4096);
  for (auto _ : state) {
    PAK_FILE* f = pak_fopen("plain.bin", "rb");
    size_t total = 0;
    for (size_t n; (n = pak_fread(out.data(), 1, out.size(), f)) > 0;) total += n;
    pak_fclose(f);
    if (total != kEntrySize) state.SkipWithError("short read");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kEntrySize));
}
BENCHMARK(BM_PakReadDiskFile4K)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AnchorFread4K(benchmark::State& state) { freadFile(state, 4096, 4096); }
BENCHMARK(BM_AnchorFread4K)->UseRealTime()->Unit(benchmark::kMillisecond);

// Random 4 KB reads, each inside one block, over nine entries that share eight cache slots.
void BM_PakRandomReads(benchmark::State& state) {
  pak_set_current_archive(fixture().archive);
  PAK_FILE* files[9];
  for (int i = 0; i < 9; ++i) files[i] = pak_fopen(("small" + std::to_string(i)).c_str(), "rb");
  std::mt19937 gen(7);
  std::vector<uint8_t> out(4096);
  const PakDecodeStats before = pak_decode_stats();
  for (auto _ : state) {
    PAK_FILE* f = files[gen() % 9];
    const long pos = static_cast<long>((gen() % (kSmallEntry / kBlock)) * kBlock + gen() % (kBlock - 4096 + 1));
    pak_fseek(f, pos, 0);
    benchmark::DoNotOptimize(pak_fread(out.data(), 1, 4096, f));
  }
  const double decodes = static_cast<double>(pak_decode_stats().decodes - before.decodes);
  state.counters["decodes_per_read"] = decodes / static_cast<double>(state.iterations());
  for (PAK_FILE* f : files) pak_fclose(f);
}
BENCHMARK(BM_PakRandomReads)->UseRealTime()->Unit(benchmark::kMicrosecond);


// The game-like archive: 201 entries of 100 KB to 1 MB (most not a whole number of blocks),
// every fourth incompressible (stored raw), the others text (LZO).
constexpr int kMixedEntries = 201;
constexpr size_t kMixedMax = 1u << 20;

struct StoredEntry {
  std::string name;
  size_t size = 0;
  bool lzo = true;  // every block compressed
  std::vector<std::vector<uint8_t>> blocks;  // as stored; an empty one is a raw block
  std::vector<const uint8_t*> raw;            // per block: its raw bytes in the archive, or null
};

struct Mixed {
  std::vector<uint8_t> archiveBytes;
  std::vector<StoredEntry> entries;
  PAK_ARCHIVE* archive = nullptr;
};

// Every entry's stored blocks, parsed from the archive bytes (entry i of the table, by name).
void parseStored(Mixed& m, const std::vector<std::string>& names, const std::vector<size_t>& sizes) {
  plat::ByteReader head(m.archiveBytes.data(), m.archiveBytes.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const uint32_t hash = pak_name_hash(names[i].c_str());
    head.seek(20);
    uint32_t offset = 0;
    for (size_t e = 0; e < names.size(); ++e) {
      const uint32_t h = head.u32(), o = head.u32();
      head.u32();
      if (h == hash) offset = o;
    }
    StoredEntry s;
    s.name = names[i];
    s.size = sizes[i];
    const size_t blocks = (s.size + kBlock - 1) / kBlock;
    plat::ByteReader r(m.archiveBytes.data(), m.archiveBytes.size());
    r.seek(offset);
    std::vector<uint16_t> lengths;
    for (size_t b = 0; b < blocks; ++b) lengths.push_back(r.u16());
    for (uint16_t l : lengths) {
      const size_t at = r.position();
      auto bytes = r.bytes(l ? l : kBlock);
      s.lzo = s.lzo && l != 0;
      s.blocks.emplace_back(l ? std::vector<uint8_t>(bytes.begin(), bytes.end()) : std::vector<uint8_t>{});
      s.raw.push_back(l ? nullptr : m.archiveBytes.data() + at);
    }
    m.entries.push_back(std::move(s));
  }
}

Mixed& mixed() {
  static Mixed* m = [] {
    Fixture& fx = fixture();
    auto* mx = new Mixed;
    std::mt19937 gen(11);
    std::vector<mkpak::Item> items;
    std::vector<std::string> names;
    std::vector<size_t> sizes;
    for (int i = 0; i < kMixedEntries; ++i) {
      const size_t size = 100u * 1024 + gen() % (kMixedMax - 100u * 1024 + 1);
      std::vector<uint8_t> data;
      if (i % 4 == 0) {
        data.resize(size);
        for (uint8_t& b : data) b = static_cast<uint8_t>(gen() >> 24);
      } else {
        data = textBytes(size, 100 + i);
      }
      char name[32];
      std::snprintf(name, sizeof name, "media\\m%03d.mda", i);
      names.push_back(name);
      sizes.push_back(size);
      items.push_back({name, std::move(data)});
    }
    std::string error;
    mkpak::build(items, false, mx->archiveBytes, error);
    std::ofstream((fx.dir / "mixed.pak"), std::ios::binary)
        .write(reinterpret_cast<const char*>(mx->archiveBytes.data()), static_cast<std::streamsize>(mx->archiveBytes.size()));
    parseStored(*mx, names, sizes);
    mx->archive = pak_open_archive("mixed.pak");
    return mx;
  }();
  return *m;
}

// Decodes one stored block from memory, as the anchor does.
size_t anchorBlock(const StoredEntry& e, size_t b, uint8_t* out) {
  const size_t whole = std::min(kBlock, e.size - b * kBlock);
  if (e.raw[b]) {
    std::memcpy(out, e.raw[b], whole);
  } else {
    lzo_uint n = whole;
    lzo1x_decompress_safe(e.blocks[b].data(), e.blocks[b].size(), out, &n, nullptr);
  }
  return whole;
}

void readMixed(benchmark::State& state, bool lzoOnly) {
  Mixed& m = mixed();
  pak_set_current_archive(m.archive);
  std::vector<uint8_t> out(kMixedMax);
  size_t bytes = 0;
  for (auto _ : state) {
    for (const StoredEntry& e : m.entries) {
      if (lzoOnly && !e.lzo) continue;
      PAK_FILE* f = pak_fopen(e.name.c_str(), "rb");
      size_t at = 0;
      for (size_t n; (n = pak_fread(out.data() + at, 1, std::min(kBlock, e.size - at), f)) > 0;) at += n;
      pak_fclose(f);
      if (at != e.size) state.SkipWithError("short read");
      bytes += at;
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void anchorMixed(benchmark::State& state, bool lzoOnly) {
  Mixed& m = mixed();
  lzo_init();
  std::vector<uint8_t> out(kMixedMax);
  size_t bytes = 0;
  for (auto _ : state) {
    for (const StoredEntry& e : m.entries) {
      if (lzoOnly && !e.lzo) continue;
      for (size_t b = 0; b < e.blocks.size(); ++b) bytes += anchorBlock(e, b, out.data() + b * kBlock);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_PakMixedSequential(benchmark::State& state) { readMixed(state, false); }
BENCHMARK(BM_PakMixedSequential)->UseRealTime()->Unit(benchmark::kMillisecond);
void BM_AnchorMixedSequential(benchmark::State& state) { anchorMixed(state, false); }
BENCHMARK(BM_AnchorMixedSequential)->UseRealTime()->Unit(benchmark::kMillisecond);
void BM_PakMixedLzo(benchmark::State& state) { readMixed(state, true); }
BENCHMARK(BM_PakMixedLzo)->UseRealTime()->Unit(benchmark::kMillisecond);
void BM_AnchorMixedLzo(benchmark::State& state) { anchorMixed(state, true); }
BENCHMARK(BM_AnchorMixedLzo)->UseRealTime()->Unit(benchmark::kMillisecond);

// 1,000 reads of 4 KB at random places of random entries, each through its own open and close;
// the anchor decodes the block holding the bytes from memory and copies them out.
constexpr int kOpenReads = 1000;
constexpr size_t kSmallRead = 4096;

struct RandomRead {
  size_t entry, at;
};

std::vector<RandomRead> randomReads() {
  const Mixed& m = mixed();
  std::mt19937 gen(13);
  std::vector<RandomRead> reads;
  for (int i = 0; i < kOpenReads; ++i) {
    const size_t e = gen() % m.entries.size();
    reads.push_back({e, gen() % (m.entries[e].size - kSmallRead + 1)});
  }
  return reads;
}

void BM_PakOpenPerRead(benchmark::State& state) {
  Mixed& m = mixed();
  pak_set_current_archive(m.archive);
  const std::vector<RandomRead> reads = randomReads();
  std::vector<uint8_t> out(kSmallRead);
  for (auto _ : state) {
    for (const RandomRead& r : reads) {
      PAK_FILE* f = pak_fopen(m.entries[r.entry].name.c_str(), "rb");
      pak_fseek(f, static_cast<long>(r.at), 0);
      if (pak_fread(out.data(), 1, kSmallRead, f) != kSmallRead) state.SkipWithError("short read");
      pak_fclose(f);
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(BM_PakOpenPerRead)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AnchorOpenPerRead(benchmark::State& state) {
  Mixed& m = mixed();
  lzo_init();
  const std::vector<RandomRead> reads = randomReads();
  std::vector<uint8_t> block(2 * kBlock), out(kSmallRead);
  for (auto _ : state) {
    for (const RandomRead& r : reads) {
      // A read may straddle two blocks: decode each block it touches.
      const StoredEntry& e = m.entries[r.entry];
      const size_t first = r.at / kBlock, last = (r.at + kSmallRead - 1) / kBlock;
      for (size_t b = first; b <= last; ++b) anchorBlock(e, b, block.data() + (b - first) * kBlock);
      std::memcpy(out.data(), block.data() + r.at % kBlock, kSmallRead);
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(BM_AnchorOpenPerRead)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_ratio::run(argc, argv,
                                  {{"BM_PakReadCompressed/real_time", "BM_AnchorLzoFromMemory/real_time",
                                    "compressed entry MB/s over LZO from memory, target >= 0.90", true},
                                   {"BM_PakReadRaw/real_time", "BM_AnchorFreadRaw/real_time",
                                    "raw entry MB/s over fread, target >= 0.90", true},
                                   {"BM_PakReadDiskFile4K/real_time", "BM_AnchorFread4K/real_time",
                                    "disk file in 4 KB calls over fread, target >= 0.95", true},
                                   {"BM_PakMixedSequential/real_time", "BM_AnchorMixedSequential/real_time",
                                    "mixed archive read whole over its blocks from memory, target >= 0.95", true},
                                   {"BM_PakMixedLzo/real_time", "BM_AnchorMixedLzo/real_time",
                                    "its LZO entries over their blocks from memory, target >= 0.95", true},
                                   {"BM_PakOpenPerRead/real_time", "BM_AnchorOpenPerRead/real_time",
                                    "an open per 4 KB read over decoding its block, target >= 0.85", true}});
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "veldra-bench-pak", ec);
  return rc;
}
