// Record files -> record_load, then up to 100 replay steps into dispatchers that only look at
// what they are given: any input loads some entries or none and replays them, never a fault.
// The first input byte says what the rest is: even, the entries after a valid header (the
// loader reaches the entries at once); odd, the whole file, so the size, format and version
// checks are fuzzed too. A refused file opens the modal box, which waits for a player who never
// comes: a few drains of the headless frame budget end the wait, and a refusal must be exactly
// the files whose header is wrong and must load nothing.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/handover/replay_controls.h"
#include "client/record/record.h"
#include "fuzz/fuzz_support.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "plat/test.h"

namespace {

constexpr uint64_t kBoxDrains = 8;  // frames the box may wait before the budget ends it

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
  plat::HeadlessOptions o;
  o.maxDrains = std::numeric_limits<uint64_t>::max();
  o.maxFakeMs = std::numeric_limits<uint64_t>::max();
  fuzz_support::installHeadlessGameDir("record", o);
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

// What the loader accepts: the whole header present, with this format and version.
bool header_ok(const uint8_t* file, size_t size) {
  if (size < RECORD_ENTRIES_AT) return false;
  plat::ByteReader r(file + RECORD_LEAD_SIZE + 19, 5);
  const uint8_t format = r.u8();
  return format == RECORD_FORMAT && r.u32() == RECORD_VERSION;
}

// record_load; true when it refused the file with the box.
bool load(plat::HeadlessPlatform& hp) {
  hp.options().maxDrains = hp.drains() + kBoxDrains;
  bool refused = false;
  try {
    record_load("fuzz.rec");
  } catch (const plat::test::FrameBudgetExceeded&) {
    refused = true;
  }
  hp.options().maxDrains = std::numeric_limits<uint64_t>::max();
  return refused;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  plat::HeadlessPlatform& hp = *plat::headless();
  const bool whole_file = size > 0 && (data[0] & 1) != 0;
  const uint8_t* body = size > 0 ? data + 1 : data;
  const size_t body_size = size > 0 ? size - 1 : 0;
  fuzz_support::writeGameFile("fuzz.rec", body, body_size, whole_file ? std::string_view() : g_header);
  record_state_reset();
  record_dispatch = {look, look};
  frame_input = FRAME_INPUT{};
  frame_input.frame_time = 0x20000;
  task_current_row = 9;
  const bool refused = load(hp);
  if (refused != (whole_file && !header_ok(body, body_size))) __builtin_trap();
  if (refused && (replaying || replay_entries.count != 0)) __builtin_trap();
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
