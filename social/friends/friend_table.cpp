#include "social/friends/friend_table.h"

#include <cstring>
#include <vector>

#include "core/reset/module_resets.h"

FRIEND_RECORD friend_table[FRIEND_RECORDS] = {};
int32_t friend_count = 0;

namespace {
std::vector<FRIEND_CALL> g_calls;
void record(const char* name, uint32_t id, uint32_t value, const uint32_t* words = nullptr) {
  if (g_calls.size() >= 4096) return;
  FRIEND_CALL c{name, id, value, {}};
  if (words) std::memcpy(c.words, words, sizeof c.words);
  g_calls.push_back(c);
}
}  // namespace

void friend_table_reset() {
  std::memset(friend_table, 0, sizeof friend_table);
  friend_count = 0;
  record("friend_table_reset", 0, 0);
}

void friend_display_rebuild() { record("friend_display_rebuild", 0, 0); }
void friend_on_added(const uint32_t (&words)[FRIEND_RECORD_WORDS]) { record("friend_on_added", words[0], 0, words); }
void friend_on_record(const uint32_t (&words)[FRIEND_RECORD_WORDS]) { record("friend_on_record", words[0], 0, words); }
void friend_on_online_state(uint32_t id, uint8_t state) { record("friend_on_online_state", id, state); }
void friend_on_kind(uint32_t id, uint32_t kind) { record("friend_on_kind", id, kind); }
void friend_on_points(uint32_t id, uint32_t points) { record("friend_on_points", id, points); }

const FRIEND_CALL* friend_calls(int32_t* count) {
  if (count) *count = static_cast<int32_t>(g_calls.size());
  return g_calls.data();
}

static const ModuleReset k_reset("friend table", [] {
  friend_table_reset();
  g_calls.clear();
});
