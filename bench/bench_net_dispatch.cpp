// The world dispatcher's cost:
// - dispatch overhead per message (flags, lookup, guard, a no-op handler, recording off) over a
//   realistic id mix, against a plain switch over the same 243 ids calling the same no-op
//   functions. Target: at most 1.5 x the switch's time per message (the ratio is printed).
// - recording on, into a game folder on tmpfs, each entry opened, appended and closed: a burst
//   of 1,000 position messages (0x30001, 20 records of 12 bytes). Target: under 20 ms a burst.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "client/game/frame_input.h"
#include "client/net_msg/net_dispatch.h"
#include "client/net_msg/net_msg_table.h"
#include "client/record/record.h"
#include "client/ui/message_box.h"
#include "plat/headless.h"

namespace {

// The table's ids with their row index, for the baseline switch.
#define NET_MSG_IDS(X) \
  X(0x20001, 0) X(0x30001, 1) X(0x30002, 2) X(0x30003, 3) X(0x30004, 4) \
  X(0x30007, 5) X(0x30008, 6) X(0x3000a, 7) X(0x3000c, 8) X(0x3000e, 9) \
  X(0x3000f, 10) X(0x30010, 11) X(0x30012, 12) X(0x30013, 13) X(0x30014, 14) \
  X(0x30015, 15) X(0x30016, 16) X(0x30017, 17) X(0x30018, 18) X(0x30019, 19) \
  X(0x3001a, 20) X(0x3001b, 21) X(0x3001c, 22) X(0x3001d, 23) X(0x3001e, 24) \
  X(0x3001f, 25) X(0x30020, 26) X(0x30030, 27) X(0x30031, 28) X(0x30032, 29) \
  X(0x30033, 30) X(0x30034, 31) X(0x30035, 32) X(0x30036, 33) X(0x30037, 34) \
  X(0x30038, 35) X(0x30039, 36) X(0x30040, 37) X(0x30060, 38) X(0x30061, 39) \
  X(0x30062, 40) X(0x30063, 41) X(0x30100, 42) X(0x40004, 43) X(0x40005, 44) \
  X(0x40007, 45) X(0x40008, 46) X(0x40009, 47) X(0x40010, 48) X(0x40011, 49) \
  X(0x40012, 50) X(0x50001, 51) X(0x50002, 52) X(0x50003, 53) X(0x50004, 54) \
  X(0x50005, 55) X(0x50006, 56) X(0x50007, 57) X(0x50008, 58) X(0x50009, 59) \
  X(0x5000a, 60) X(0x5000b, 61) X(0x60001, 62) X(0x60002, 63) X(0x60003, 64) \
  X(0x60004, 65) X(0x60005, 66) X(0x60006, 67) X(0x60007, 68) X(0x60008, 69) \
  X(0x60009, 70) X(0x6000a, 71) X(0x6000b, 72) X(0x6000c, 73) X(0x6000d, 74) \
  X(0x6000e, 75) X(0x6000f, 76) X(0x60010, 77) X(0x70001, 78) X(0x70002, 79) \
  X(0x70003, 80) X(0x70004, 81) X(0x70005, 82) X(0x70006, 83) X(0x70007, 84) \
  X(0x70009, 85) X(0x7000a, 86) X(0x7000d, 87) X(0x7000e, 88) X(0x70011, 89) \
  X(0x70012, 90) X(0x70013, 91) X(0x70014, 92) X(0x70015, 93) X(0x70016, 94) \
  X(0x70017, 95) X(0x70018, 96) X(0x7001b, 97) X(0x7001c, 98) X(0x80001, 99) \
  X(0x80002, 100) X(0x80003, 101) X(0x80004, 102) X(0x80005, 103) X(0x80006, 104) \
  X(0x80007, 105) X(0x90001, 106) X(0xa0001, 107) X(0xa0002, 108) X(0xa0003, 109) \
  X(0xa0004, 110) X(0xa0005, 111) X(0xa0006, 112) X(0xa0007, 113) X(0xa0008, 114) \
  X(0xa0009, 115) X(0xa000a, 116) X(0xa000b, 117) X(0xa000c, 118) X(0xb0001, 119) \
  X(0xb0002, 120) X(0xb0003, 121) X(0xb0004, 122) X(0xb0005, 123) X(0xb0006, 124) \
  X(0xc0001, 125) X(0xc0002, 126) X(0xc0003, 127) X(0xc0006, 128) X(0xc0008, 129) \
  X(0xc0009, 130) X(0xc000b, 131) X(0xc000c, 132) X(0xc000d, 133) X(0xc0011, 134) \
  X(0xc0012, 135) X(0xc0013, 136) X(0xc0014, 137) X(0xc0015, 138) X(0xc0016, 139) \
  X(0xc0017, 140) X(0xd0001, 141) X(0xd0002, 142) X(0xd0003, 143) X(0xd0004, 144) \
  X(0xd0005, 145) X(0xd0006, 146) X(0xe0001, 147) X(0xe0002, 148) X(0xe0003, 149) \
  X(0xe0004, 150) X(0xe0005, 151) X(0xe0006, 152) X(0xe0007, 153) X(0xf0001, 154) \
  X(0xf0003, 155) X(0xf0005, 156) X(0xf0006, 157) X(0xf0007, 158) X(0xf0008, 159) \
  X(0xf0009, 160) X(0xf000a, 161) X(0xf000b, 162) X(0xf000c, 163) X(0x100006, 164) \
  X(0x100007, 165) X(0x100008, 166) X(0x100009, 167) X(0x100010, 168) X(0x100011, 169) \
  X(0x100012, 170) X(0x100014, 171) X(0x100015, 172) X(0x100016, 173) X(0x100017, 174) \
  X(0x100018, 175) X(0x100019, 176) X(0x100020, 177) X(0x100021, 178) X(0x100022, 179) \
  X(0x100023, 180) X(0x100024, 181) X(0x100025, 182) X(0x100026, 183) X(0x100027, 184) \
  X(0x100028, 185) X(0x100029, 186) X(0x100030, 187) X(0x100031, 188) X(0x100032, 189) \
  X(0x100033, 190) X(0x100035, 191) X(0x100036, 192) X(0x110001, 193) X(0x110002, 194) \
  X(0x110003, 195) X(0x110004, 196) X(0x110005, 197) X(0x120001, 198) X(0x120002, 199) \
  X(0x120003, 200) X(0x120004, 201) X(0x120006, 202) X(0x120007, 203) X(0x120008, 204) \
  X(0x130001, 205) X(0x130002, 206) X(0x130003, 207) X(0x130004, 208) X(0x130005, 209) \
  X(0x130006, 210) X(0x130007, 211) X(0x130008, 212) X(0x130009, 213) X(0x130010, 214) \
  X(0x150001, 215) X(0x160001, 216) X(0x170001, 217) X(0x170002, 218) X(0x170003, 219) \
  X(0x170004, 220) X(0x170005, 221) X(0x170006, 222) X(0x170008, 223) X(0x170009, 224) \
  X(0x17000a, 225) X(0x17000b, 226) X(0x17000c, 227) X(0x180001, 228) X(0x180002, 229) \
  X(0x180003, 230) X(0x180004, 231) X(0x180005, 232) X(0x190002, 233) X(0x190003, 234) \
  X(0x190004, 235) X(0x190005, 236) X(0x190006, 237) X(0x190008, 238) X(0x19000a, 239) \
  X(0x19000c, 240) X(0x1a0001, 241) X(0x1a0002, 242) \
  /* end */

// Four no-op handlers spread over the rows, the same in both dispatchers.
__attribute__((noinline, noipa)) void noop0(uint32_t id, int32_t, net_msg::Payload) { benchmark::DoNotOptimize(id); }
__attribute__((noinline, noipa)) void noop1(uint32_t id, int32_t, net_msg::Payload) { benchmark::DoNotOptimize(id); }
__attribute__((noinline, noipa)) void noop2(uint32_t id, int32_t, net_msg::Payload) { benchmark::DoNotOptimize(id); }
__attribute__((noinline, noipa)) void noop3(uint32_t id, int32_t, net_msg::Payload) { benchmark::DoNotOptimize(id); }
constexpr net_msg::Handler kNoops[4] = {noop0, noop1, noop2, noop3};

// noipa: called as the dispatcher is, without constants propagated from the caller.
__attribute__((noinline, noipa)) int switch_dispatch(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len) {
  const net_msg::Payload view(payload, len);
  switch (id) {
#define NET_MSG_CASE(v, i)   \
  case v:                    \
    kNoops[(i) % 4](id, arg, view); \
    break;
    NET_MSG_IDS(NET_MSG_CASE)
#undef NET_MSG_CASE
    default:
      break;
  }
  return 0;
}

void platform() {
  static const bool ready = [] {
    std::random_device rd;
    // tmpfs when there is one: the recording figure is about the recorder, not the disk.
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
    const auto dir = base / ("veldra-bench-dispatch-" + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    plat::HeadlessOptions o;
    o.gameDir = dir.string();
    o.watchdog = false;
    plat::installHeadless(o);
    static const std::filesystem::path made = dir;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(made, ec);
    });
    return true;
  }();
  (void)ready;
}

void useNoops() {
  net_dispatch_reset();
  const auto table = net_msg_table();
  for (size_t i = 0; i < table.size(); ++i)
    if (table[i].kind == NetMsgKind::Handler) net_msg_swap_handler(table[i].id, kNoops[i % 4]);
}

// Positions most, battle actions and item updates next, the rest spread over the table, and a
// few ids the client does not know.
const std::vector<uint32_t>& idMix() {
  static const std::vector<uint32_t> mix = [] {
    std::mt19937 rng(7);
    const auto table = net_msg_table();
    std::vector<uint32_t> m;
    for (int i = 0; i < 4096; ++i) {
      const uint32_t r = rng() % 100;
      if (r < 40) {
        m.push_back(0x30001);
      } else if (r < 50) {
        m.push_back(0x30002);
      } else if (r < 55) {
        m.push_back(0xc0006);
      } else if (r < 60) {
        m.push_back(0x70002);
      } else if (r < 63) {
        m.push_back(0x3000b + (rng() % 4) * 0x10000);
      } else {
        uint32_t id = table[rng() % table.size()].id;
        if (id == MSG_RECORD_MIRROR) id = 0x30001;
        m.push_back(id);
      }
    }
    return m;
  }();
  return mix;
}

const std::vector<uint8_t> kPositions(20 * 12, 0x11);

void BM_Dispatch(benchmark::State& state) {
  platform();
  useNoops();
  record_state_reset();
  const std::vector<uint32_t>& mix = idMix();
  size_t i = 0;
  for (auto _ : state) {
    const uint32_t id = mix[i++ & 4095];
    benchmark::DoNotOptimize(net_dispatch_message(id, 20, kPositions.data(), 240, false));
  }
  state.SetItemsProcessed(state.iterations());
  net_dispatch_reset();
}

void BM_SwitchBaseline(benchmark::State& state) {
  const std::vector<uint32_t>& mix = idMix();
  size_t i = 0;
  for (auto _ : state) {
    const uint32_t id = mix[i++ & 4095];
    benchmark::DoNotOptimize(switch_dispatch(id, 20, kPositions.data(), 240));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_RecordedPositionBurst(benchmark::State& state) {
  platform();
  useNoops();
  for (auto _ : state) {
    state.PauseTiming();
    record_state_reset();
    message_slots_clear();  // record_start shows a pop-up each time
    record_start();
    state.ResumeTiming();
    for (int n = 0; n < 1000; ++n) {
      frame_input.frame_time += 2;  // 2 s of play: the header is updated twice
      net_dispatch_message(0x30001, 20, kPositions.data(), static_cast<uint32_t>(kPositions.size()), false);
    }
  }
  state.SetItemsProcessed(state.iterations() * 1000);
  record_state_reset();
  net_dispatch_reset();
}

BENCHMARK(BM_Dispatch);
BENCHMARK(BM_SwitchBaseline);
BENCHMARK(BM_RecordedPositionBurst)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv, {{"BM_Dispatch", "BM_SwitchBaseline", "dispatch / switch, at most 1.5", false}});
}
