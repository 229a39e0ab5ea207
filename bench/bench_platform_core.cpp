// The platform core's hot paths against their bare yardsticks:
// - the resolver on a cached three-part mixed-case path: at most 3x a stat of the exact path;
// - code page 936 decoding of 2 KB of mixed text: no slower than one direct iconv call.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/bench/cp936_bench.h"
#include "plat/cp936.h"
#include "plat/files.h"

namespace fs = std::filesystem;

namespace {

struct GameFolder {
  GameFolder() {
    std::random_device rd;
    root = fs::temp_directory_path() / ("veldra-bench-" + std::to_string(rd()));
    fs::create_directories(root / "Data" / "Map");
    for (int i = 0; i < 50; ++i) std::ofstream(root / "Data" / "Map" / ("Tile" + std::to_string(i) + ".Bin")) << "x";
    std::ofstream(root / "Data" / "Map" / "Field01.MAP") << "map";
    files = plat::makePosixFileSystem(root.string());
  }
  ~GameFolder() {
    files.reset();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  fs::path root;
  std::unique_ptr<plat::IFileSystem> files;
};

void BM_ResolverStatMixedCase(benchmark::State& state) {
  GameFolder g;
  g.files->isFile("DATA\\map\\field01.map");  // fills the cache
  for (auto _ : state) benchmark::DoNotOptimize(g.files->isFile("DATA\\map\\field01.map"));
}
BENCHMARK(BM_ResolverStatMixedCase);

void BM_StatExactPath(benchmark::State& state) {
  GameFolder g;
  fs::path exact = g.root / "Data" / "Map" / "Field01.MAP";
  for (auto _ : state) {
    std::error_code ec;
    benchmark::DoNotOptimize(fs::is_regular_file(fs::status(exact, ec)));
  }
}
BENCHMARK(BM_StatExactPath);

// 2 KB: ASCII words, double-byte characters and a euro sign, as chat and item texts mix them.
std::string mixedText() {
  std::string s;
  const char* pieces[] = {"Sword of ", "\xD6\xD0\xCE\xC4", " +12 ", "\xC9\xF1\xC6\xF7", "\x80", "100 ",
                          "\xB9\xA5\xBB\xF7\xC1\xA6", " / "};
  for (size_t i = 0; s.size() < 2048; ++i) s += pieces[i % 8];
  s.resize(plat::cp936::fitLength(s, 2048));
  return s;
}

void BM_Cp936Decode2K(benchmark::State& state) {
  std::string text = mixedText();
  for (auto _ : state) benchmark::DoNotOptimize(plat::cp936::decode(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Cp936Decode2K);

void BM_IconvDecode2K(benchmark::State& state) {
  std::string text = mixedText();
  std::u16string out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(plat::cp936::detail::iconvDecodeForBench(text, out));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_IconvDecode2K);

}  // namespace
