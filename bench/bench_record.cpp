// The recorder and the record loader:
// - a burst of 1,000 recorded world messages of 64 bytes through record_write_entry, which
//   opens, appends and closes the file for every entry (so that a crash keeps what was written).
//   Target: at most 50 us an entry. Anchor: the same bytes appended to one open file with a
//   flush after each entry; the ratio is printed.
// - record_load of a one-hour recording (150,000 entries, about 7 MB, made by the recorder on
//   the fake clock). Target: under 1 s, and under 3 x the file size kept in memory (the counter
//   kept_per_file_byte).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/record/record.h"
#include "plat/headless.h"
#include "plat/platform.h"

namespace {

constexpr int kBurst = 1000;
const std::vector<uint8_t> kPayload(64, 0x5A);

plat::HeadlessPlatform& platform() {
  static plat::HeadlessPlatform* p = [] {
    std::random_device rd;
    const auto dir = std::filesystem::temp_directory_path() / ("veldra-bench-record-" + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    plat::HeadlessOptions o;
    o.gameDir = dir.string();
    o.watchdog = false;
    return &plat::installHeadless(o);
  }();
  return *p;
}

RECORD_ENTRY message(uint32_t i) {
  return RECORD_ENTRY{RECORD_TAG, frame_input.frame_time, 0x30001, i, RECORD_KIND_WORLD,
                      static_cast<uint32_t>(kPayload.size()), kPayload.data()};
}

void BM_RecordBurst(benchmark::State& state) {
  platform();
  for (auto _ : state) {
    state.PauseTiming();
    record_state_reset();
    record_start();
    state.ResumeTiming();
    for (int i = 0; i < kBurst; ++i) record_write_entry(message(static_cast<uint32_t>(i)));
  }
  state.SetItemsProcessed(state.iterations() * kBurst);
  record_state_reset();
}

void BM_AnchorAppendFlush(benchmark::State& state) {
  plat::IFileSystem& files = platform().files();
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<plat::File> f = files.open("anchor.rec", "wb");
    state.ResumeTiming();
    for (int i = 0; i < kBurst; ++i) {
      plat::ByteWriter w;
      const RECORD_ENTRY e = message(static_cast<uint32_t>(i));
      for (uint32_t v : {e.tag, e.time, e.code, e.arg, e.kind, e.length}) w.u32(v);
      w.bytes(e.payload, e.length);
      f->write(w.data().data(), w.size());
      f->flush();
    }
  }
  state.SetItemsProcessed(state.iterations() * kBurst);
}

// One hour at about 42 entries a second: input samples and world messages of 0 to 40 bytes.
std::string one_hour_recording() {
  static std::string path;
  if (!path.empty()) return path;
  plat::HeadlessPlatform& p = platform();
  record_state_reset();
  p.fakeClock().setWallTime(1796933707);
  record_start();
  path = record_state.file_name;
  std::mt19937 rng(7);
  std::vector<uint8_t> payload(40, 0x11);
  for (uint32_t i = 0; i < 150000; ++i) {
    p.fakeClock().advance(24);
    frame_input.frame_time = p.clock().ms();
    if (i % 3 == 0) {
      frame_input.key_code = static_cast<uint8_t>(i);
      record_input_sample();
    } else {
      record_write_entry(RECORD_ENTRY{RECORD_TAG, frame_input.frame_time, 0x30000 + (i & 0xFF), i, RECORD_KIND_WORLD,
                                      static_cast<uint32_t>(rng() % 41), payload.data()});
    }
  }
  record_state_reset();
  return path;
}

void BM_LoadOneHour(benchmark::State& state) {
  const std::string path = one_hour_recording();
  const double file_size = static_cast<double>(platform().files().stat(path)->size);
  double kept = 0;
  for (auto _ : state) {
    record_load(path.c_str());
    state.PauseTiming();
    kept = static_cast<double>(replay_entries.allocated) * sizeof(REPLAY_ENTRY) + replay_payloads.capacity();
    if (replay_entries.count != 150000) state.SkipWithError("not every entry loaded");
    record_state_reset();
    state.ResumeTiming();
  }
  state.counters["file_mb"] = file_size / 1e6;
  state.counters["kept_per_file_byte"] = kept / file_size;
}

}  // namespace

BENCHMARK(BM_RecordBurst)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnchorAppendFlush)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadOneHour)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_RecordBurst/real_time", "BM_AnchorAppendFlush/real_time",
                            "record burst against one open file (the open and close per entry are by design)", false}});
}
