// Part of bench_game_main: one ranking page (0x19000a, 20 records) into a full list of 1,000
// records. Target: under 50 us a message. Each iteration starts from the same full list (a
// 28,000-byte copy, counted in the figure), so every page meets the cap.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "client/handlers/client_handlers.h"
#include "client/state/ranking_list.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "plat/platform.h"

namespace {

constexpr int kPageRecords = 20;

RANKING_RECORD record(uint32_t id, uint8_t major, uint8_t minor) {
  RANKING_RECORD r{};
  r.id = id;
  r.order_major = major;
  r.order_minor = minor;
  return r;
}

// 1,000 records in order: majors 99 down to 0, ten of each, minors 9 down to 0.
const std::vector<RANKING_RECORD>& fullList() {
  static const std::vector<RANKING_RECORD> all = [] {
    std::vector<RANKING_RECORD> out;
    for (uint32_t i = 0; i < RANKING_LIST_MAX; ++i)
      out.push_back(record(1 + i, static_cast<uint8_t>(99 - i / 10), static_cast<uint8_t>(9 - i % 10)));
    return out;
  }();
  return all;
}

// One page whose records land all over the list, a few below its end.
const std::vector<uint8_t>& page() {
  static const std::vector<uint8_t> bytes = [] {
    plat::ByteWriter w;
    // Majors -5 to 104 as signed bytes: the negative ones order below the whole list.
    for (uint32_t i = 0; i < kPageRecords; ++i) {
      const auto major = static_cast<uint8_t>((i * 37) % 110 + 251);
      plat::writeFields(w, record(5000 + i, major, static_cast<uint8_t>(i % 10)), RANKING_RECORD_WALK);
    }
    return w.take();
  }();
  return bytes;
}

void BM_RankingPageIntoFullList(benchmark::State& state) {
  if (!plat::installed()) {
    plat::HeadlessOptions o;
    o.watchdog = false;
    plat::installHeadless(o);
  }
  const std::vector<RANKING_RECORD>& full = fullList();
  const std::vector<uint8_t>& bytes = page();
  ranking_list.free();
  for (const RANKING_RECORD& r : full) ranking_list.append(r);
  for (auto _ : state) {
    std::memcpy(static_cast<void*>(ranking_list.data), full.data(), full.size() * sizeof(RANKING_RECORD));
    ranking_list.count = RANKING_LIST_MAX;
    ranking_on_records(0x19000a, 0, net_msg::Payload(bytes.data(), static_cast<uint32_t>(bytes.size())));
    benchmark::DoNotOptimize(ranking_list.data);
  }
  state.SetItemsProcessed(state.iterations());
  ranking_list.free();
}

BENCHMARK(BM_RankingPageIntoFullList)->Unit(benchmark::kMicrosecond);

}  // namespace
