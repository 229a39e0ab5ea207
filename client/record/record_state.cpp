// The recorder's state, its reset and the replay progress.
#include <cstring>

#include "client/game/replay_state.h"
#include "client/handover/replay_controls.h"
#include "client/net_msg/net_dispatch.h"
#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "social/chat_msg/chat_msg_dispatch.h"

RECORD_STATE record_state = {};
GrowArray<REPLAY_ENTRY> replay_entries;
std::vector<uint8_t> replay_payloads;
RECORD_DISPATCH record_dispatch = {net_dispatch_message, chat_msg_dispatch};

void record_dispatch_reset() { record_dispatch = {net_dispatch_message, chat_msg_dispatch}; }

void replay_entries_free() {
  replay_entries.free();
  std::vector<uint8_t>().swap(replay_payloads);
}

void record_state_reset() {
  std::memset(&record_state, 0, sizeof record_state);
  record_state.replay_clear = 1;
  replaying = 0;
  replay_entries_free();
  replay_progress_published.store(0, std::memory_order_relaxed);
}

// 64-bit arithmetic: a span of more than about 11.9 hours overflows 32 bits once multiplied by
// 100, and a header whose last time is first time - 1 gives a divisor of 0.
int32_t replay_percent_of(uint32_t cursor_time, uint32_t first_time, uint32_t last_time) {
  const int64_t done = static_cast<int64_t>(cursor_time) - first_time;
  int64_t span = static_cast<int64_t>(last_time) - first_time + 1;
  if (span <= 0) span = 1;
  int64_t percent = done * 100 / span;
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  return static_cast<int32_t>(percent);
}

int32_t replay_progress_percent() {
  if (!replaying || replay_entries.count == 0) return 0;
  int32_t at = record_state.cursor;
  if (at >= replay_entries.count) at = replay_entries.count - 1;
  if (at < 0) at = 0;
  return replay_percent_of(replay_entries[at].time, record_state.header.first_time, record_state.header.last_time);
}

static const ModuleReset k_reset_state("recorder", record_state_reset);
static const ModuleReset k_reset_dispatch("record dispatch", record_dispatch_reset);
