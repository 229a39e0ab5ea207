// Loading the five res tables (res_load_all, with a 20,000-row npc.res) against one fread of the
// same files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "client/res/res_tables.h"
#include "plat/headless.h"
#include "tools/reswrite/reswrite.h"

namespace {

constexpr int kNpcRows = 20000;
const char* const kFiles[] = {"task_mission.res", "npc.res", "chat.res", "help.res", "skill.res"};

resw::Table table(std::vector<uint32_t> types, int rows, int seed) {
  resw::Table t;
  t.types = std::move(types);
  t.names.assign(t.types.size(), "field");
  for (int r = 0; r < rows; ++r) {
    std::vector<resw::Cell> row;
    for (size_t i = 0; i < t.types.size(); ++i) {
      if (t.types[i] % 100 == 4)
        row.emplace_back("text " + std::to_string(seed) + "/" + std::to_string(r) + "/" + std::to_string(i));
      else
        row.emplace_back(int64_t{(r * 7 + static_cast<int>(i)) % 5});
    }
    t.rows.push_back(std::move(row));
  }
  return t;
}

const std::filesystem::path& gameDir() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path d = std::filesystem::temp_directory_path() / "veldra-bench-res";
    std::filesystem::create_directories(d / "res");
    plat::HeadlessOptions o;
    o.gameDir = d.string();
    o.watchdog = false;
    plat::installHeadless(o);
    std::vector<uint32_t> quest = {3201, 3201, 6404, 3201, 30004, 6404, 3201};
    quest.resize(17, 3201);
    const resw::Table tables[] = {
        table(quest, 200, 1),
        table({3201, 3201, 3204, 3204, 3204, 3201, 3201, 3201, 3201, 3204, 3201, 3201, 3201, 3201}, kNpcRows, 2),
        table({3201, 2004}, 400, 3),
        table({3201, 3201, 3204, 204804}, 100, 4),
        table({3201, 3201, 3204, 3201, 3201, 25604}, 300, 5),
    };
    for (size_t i = 0; i < 5; ++i) resw::save((d / "res" / kFiles[i]).string(), resw::write_table(tables[i]));
    return d;
  }();
  return dir;
}

void BM_ResLoadAll(benchmark::State& state) {
  gameDir();
  for (auto _ : state) {
    if (res_load_all() != 0) state.SkipWithError("res_load_all failed");
    benchmark::DoNotOptimize(res_npc_count());
  }
  res_tables_reset();
}
BENCHMARK(BM_ResLoadAll)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_AnchorFreadFiles(benchmark::State& state) {
  const std::filesystem::path& dir = gameDir();
  std::vector<std::string> paths;
  size_t largest = 0;
  for (const char* f : kFiles) {
    paths.push_back((dir / "res" / f).string());
    largest = std::max<size_t>(largest, std::filesystem::file_size(paths.back()));
  }
  std::vector<char> buffer(largest);
  for (auto _ : state) {
    for (const std::string& p : paths) {
      std::FILE* f = std::fopen(p.c_str(), "rb");
      benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
      std::fclose(f);
    }
  }
}
BENCHMARK(BM_AnchorFreadFiles)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_ResLoadAll/real_time", "BM_AnchorFreadFiles/real_time", "res_load_all / fread, at most 5", false}});
}
