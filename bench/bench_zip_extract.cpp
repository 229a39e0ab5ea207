// Patch extraction against a bare loop: a 50 MB archive of mixed sizes made by mkzip, unpacked by
// ExtractZipToFolder (safe names, temporary files, renames, modes and times) and by a loop of
// minizip reads and plain writes of the same entries into the same folder. The figure to reach:
// at least 0.8 x the bare loop's MB/s.
#include <benchmark/benchmark.h>
#include <unzip.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "plat/headless.h"
#include "plat/platform.h"
#include "tools/mkzip/mkzip.h"
#include "updater/extract_zip.h"
#include "updater/module_path.h"

namespace fs = std::filesystem;

namespace {

struct Fixture {
  fs::path root;
  uint64_t bytes = 0;
  ~Fixture() {
    std::error_code ec;
    if (!root.empty()) fs::remove_all(root, ec);
  }
};

// Files of 1 KiB to 4 MiB in a few folders, partly compressible, about 50 MB in all.
const Fixture& fixture() {
  static const Fixture f = [] {
    Fixture out;
    std::random_device rd;
    out.root = fs::temp_directory_path() / ("bench_zip_extract-" + std::to_string(rd()));
    fs::create_directories(out.root / "out");
    std::mt19937 gen(7);
    std::vector<mkzip::Entry> entries;
    for (int i = 0; out.bytes < 50u * 1000 * 1000; ++i) {
      const size_t size = size_t(1024) << (i % 13);
      mkzip::Entry e;
      e.name = "data/" + std::to_string(i % 7) + "/file" + std::to_string(i) + ".bin";
      e.data.resize(size);
      for (size_t k = 0; k < size; ++k) e.data[k] = static_cast<char>(k % 3 ? gen() & 0x0F : gen());
      out.bytes += size;
      entries.push_back(std::move(e));
    }
    std::string error;
    if (!mkzip::writeZip((out.root / "bin.zip").string(), entries, &error)) std::abort();
    plat::HeadlessOptions o;
    o.gameDir = out.root.string();
    o.watchdog = false;
    plat::installHeadless(o);
    return out;
  }();
  return f;
}

void BM_ExtractZipToFolder(benchmark::State& state) {
  const Fixture& f = fixture();
  for (auto _ : state) {
    if (updater::ExtractZipToFolder(updater::ModulePath("bin.zip"), updater::ModulePath("out")) != 1) {
      state.SkipWithError("extraction failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}

void BM_BareMinizipLoop(benchmark::State& state) {
  const Fixture& f = fixture();
  std::vector<char> block(256 * 1024);
  std::vector<char> name(4096);
  for (auto _ : state) {
    unzFile zip = unzOpen64((f.root / "bin.zip").c_str());
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
      unz_file_info64 info{};
      unzGetCurrentFileInfo64(zip, &info, name.data(), static_cast<uLong>(name.size()), nullptr, 0, nullptr, 0);
      const fs::path target = f.root / "out" / name.data();
      fs::create_directories(target.parent_path());
      std::ofstream out(target, std::ios::binary | std::ios::trunc);
      unzOpenCurrentFile(zip);
      for (int n; (n = unzReadCurrentFile(zip, block.data(), static_cast<unsigned>(block.size()))) > 0;) out.write(block.data(), n);
      unzCloseCurrentFile(zip);
    }
    unzClose(zip);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes));
}

}  // namespace

BENCHMARK(BM_ExtractZipToFolder)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareMinizipLoop)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
