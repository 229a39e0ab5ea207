// The position handler's cost: a burst of 1,000 position messages (0x30001, 20 records each)
// through the real dispatcher into a scene of 200 characters. Anchor: the same burst into a
// handler that only reads the records. Target: at most 1.5 x the anchor, under 5 ms a burst.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "bench/bench_headless.h"
#include "bench/bench_ratio.h"
#include "client/handlers/client_handlers.h"
#include "client/net_msg/net_dispatch.h"
#include "client/net_msg/net_msg_table.h"
#include "core/reset/module_resets.h"
#include "plat/headless.h"
#include "graphics/mda/mda.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr int kBurst = 1000;
constexpr int kRecords = 20;
constexpr uint32_t kChars = 200;

// 1,000 payloads of 20 records, ids walking over the scene's characters.
const std::vector<std::vector<uint8_t>>& bursts() {
  static const std::vector<std::vector<uint8_t>> all = [] {
    std::vector<std::vector<uint8_t>> out(kBurst);
    uint32_t n = 0;
    for (auto& p : out) {
      p.resize(kRecords * SCENE_POSITION_RECORD_SIZE);
      for (int r = 0; r < kRecords; ++r, ++n) {
        uint8_t* at = p.data() + r * SCENE_POSITION_RECORD_SIZE;
        const uint32_t id = 1000 + (n * 7) % kChars;
        const uint16_t x = static_cast<uint16_t>(n & 0x3FF), y = static_cast<uint16_t>((n >> 3) & 0x3FF);
        at[0] = id & 0xFF, at[1] = (id >> 8) & 0xFF, at[2] = (id >> 16) & 0xFF, at[3] = id >> 24;
        at[4] = x & 0xFF, at[5] = x >> 8, at[6] = y & 0xFF, at[7] = y >> 8, at[8] = 1;
      }
    }
    return out;
  }();
  return all;
}

void fillScene() {
  module_resets_run_all();
  // Records as the scene keeps them, without looks (no look files in the bench's folder).
  for (uint32_t i = 0; i < kChars; ++i) {
    const int32_t at = scene_alloc_char();
    if (at >= 0) scene_chars[at].id = 1000 + i;
  }
  // The player, whom no message moves, far from the others and wearing a look: nobody's look is
  // loaded during the burst.
  scene_player_id = 999;
  const int32_t player = scene_alloc_char();
  if (player < 0) return;
  SCENE_CHAR& p = scene_chars[player];
  p.id = scene_player_id;
  p.x = p.target_x = 60000;
  p.y = p.target_y = 60000;
  p.look_handle = MDA_MAX_ID;
}

uint32_t g_sum = 0;
// Reads every record as the real handler does, and keeps nothing.
void readOnly(uint32_t, int32_t count, net_msg::Payload payload) {
  plat::ByteReader r = payload.records(count, SCENE_POSITION_RECORD_SIZE);
  for (int32_t i = 0; i < count; ++i) {
    g_sum += r.u32("id") + r.u16("x") + r.u16("y") + r.u8("walking");
    r.skip(3, "tail");
  }
}

void runBurst() {
  for (const auto& p : bursts()) net_dispatch_message(0x30001, kRecords, p.data(), static_cast<uint32_t>(p.size()), true);
}

void BM_PositionBurst(benchmark::State& state) {
  bench_headless::install_once();
  fillScene();
  for (auto _ : state) runBurst();
  benchmark::DoNotOptimize(scene_chars.data);
  state.SetItemsProcessed(state.iterations() * kBurst);
}

void BM_PositionBurstReadOnly(benchmark::State& state) {
  bench_headless::install_once();
  fillScene();
  net_msg_swap_handler(0x30001, readOnly);
  for (auto _ : state) runBurst();
  benchmark::DoNotOptimize(g_sum);
  state.SetItemsProcessed(state.iterations() * kBurst);
  net_dispatch_reset();
}

BENCHMARK(BM_PositionBurst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PositionBurstReadOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_PositionBurst", "BM_PositionBurstReadOnly", "handler / read-only, at most 1.5", false}});
}
