// Record file entries -> record_load, then up to 100 replay steps into dispatchers that only
// look at what they are given: any input loads some entries or none and replays them, never a
// fault. The header is a valid one, so the loader reaches the entries (its refusals open modal
// boxes, which the unit tests cover).
#include <cstddef>
#include <cstdint>
#include <string>

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/handover/replay_controls.h"
#include "client/record/record.h"
#include "fuzz/fuzz_support.h"
#include "plat/bytes.h"
#include "plat/test.h"

namespace {

std::string g_header;
volatile uint32_t g_sink = 0;

int look(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record) {
  if (!do_not_record) __builtin_trap();
  uint32_t sum = id ^ static_cast<uint32_t>(arg);
  for (uint32_t i = 0; i < len; ++i) sum += payload[i];
  g_sink = sum;
  return 0;
}

void setUp() {
  fuzz_support::installHeadlessGameDir("record");
  plat::test::setExitHandler(true);
  plat::ByteWriter w;
  w.zeros(RECORD_LEAD_SIZE + 19);
  w.u8(RECORD_FORMAT);
  w.u32(RECORD_VERSION);
  w.u32(1700000000);
  w.u32(1000);
  w.u32(90000);
  w.zeros(296);
  g_header.assign(w.data().begin(), w.data().end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  fuzz_support::writeGameFile("fuzz.rec", data, size, g_header);
  record_state_reset();
  record_dispatch = {look, look};
  frame_input = FRAME_INPUT{};
  frame_input.frame_time = 0x20000;
  task_current_row = 9;
  record_load("fuzz.rec");
  if (replay_entries.count < 0 || static_cast<size_t>(replay_entries.count) * RECORD_HEAD_SIZE > size) __builtin_trap();
  for (int i = 0; i < 100 && replaying; ++i) {
    try {
      replay_step();
    } catch (const plat::test::ExitCalled&) {
      break;
    }
    const int32_t p = replay_progress_published.load();
    if (p < 0 || p > 100) __builtin_trap();
    frame_input.frame_time += 31 + static_cast<uint32_t>(i) * 97;
  }
  record_state_reset();
  return 0;
}
