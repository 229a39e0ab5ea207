// The game's per-message and per-frame costs.
//
// Battle action: message 0xc0006 of kind 100 with 10 unit records and 20 hit records through the
// real dispatcher, against a battle of 20 units. Target: under 5 us a message.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/bench_game_main_frame.h"
#include "bench/bench_ratio.h"
#include "client/common/seam_calls.h"
#include "client/net_msg/net_dispatch.h"
#include "core/reset/module_resets.h"
#include "plat/headless.h"
#include "tests/client/battle_payloads.h"
#include "world/battle/fight_units.h"

namespace {

void platform() {
  static const bool ready = [] {
    plat::HeadlessOptions o;
    o.watchdog = false;
    plat::installHeadless(o);
    return true;
  }();
  (void)ready;
}

// ---- battle action ------------------------------------------------------------------------

constexpr int kActionUnits = 10;
constexpr int kActionHits = 20;

std::string areaAction() {
  std::vector<std::string> units, hits;
  for (uint32_t i = 0; i < kActionUnits; ++i) units.push_back(handler_test::unitStats(1000 + i, 50));
  for (uint32_t i = 0; i < kActionHits; ++i) hits.push_back(handler_test::hit(1000 + i % 20, 30 + i, i));
  return handler_test::battleAction(100, 1000, 1010, units, hits,
                                    handler_test::unitBytes(3, {{1000, 1}, {1001, 2}, {1010, 3}}));
}

void fillBattle() {
  module_resets_run_all();
  for (int i = 0; i < FIGHT_UNITS; ++i) {
    fight_units[i].in_use = 1;
    fight_units[i].id = 1000 + static_cast<uint32_t>(i);
  }
}

void BM_BattleActionArea(benchmark::State& state) {
  platform();
  fillBattle();
  const std::string p = areaAction();
  const auto* data = reinterpret_cast<const uint8_t*>(p.data());
  uint32_t n = 0;
  for (auto _ : state) {
    net_dispatch_message(0xc0006, 0, data, static_cast<uint32_t>(p.size()), true);
    // The stand-ins record each call (11 a message): emptied now and then, so each message is
    // recorded as in play and the record stays below its cap.
    if (++n % 256 == 0) seam_calls_clear();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_BattleActionArea)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench_ratio::run(argc, argv, {game_main_frame_pair()}); }
