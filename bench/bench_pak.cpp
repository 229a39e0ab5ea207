// The PAK layer against its anchors: LZO decoding from memory, fread of raw bytes, fread of a
// disk file, and random reads over nine entries sharing the block cache.
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
    pak_open_archive("data.pak");
    return fx;
  }();
  return *f;
}

void readEntry(benchmark::State& state, const char* name, size_t chunk) {
  fixture();
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
  fixture();
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

}  // namespace

int main(int argc, char** argv) {
  const int rc = bench_ratio::run(argc, argv,
                                  {{"BM_PakReadCompressed/real_time", "BM_AnchorLzoFromMemory/real_time",
                                    "compressed entry MB/s over LZO from memory, target >= 0.90", true},
                                   {"BM_PakReadRaw/real_time", "BM_AnchorFreadRaw/real_time",
                                    "raw entry MB/s over fread, target >= 0.90", true},
                                   {"BM_PakReadDiskFile4K/real_time", "BM_AnchorFread4K/real_time",
                                    "disk file in 4 KB calls over fread, target >= 0.95", true}});
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "veldra-bench-pak", ec);
  return rc;
}
