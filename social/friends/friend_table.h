// The friend table: 100 records of 88 bytes that the friend list message fills whole.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int FRIEND_RECORDS = 100;
constexpr size_t FRIEND_RECORD_SIZE = 88;

struct FRIEND_RECORD {
  uint8_t bytes[FRIEND_RECORD_SIZE];
};

extern FRIEND_RECORD friend_table[FRIEND_RECORDS];
extern int32_t friend_count;

// Every record zeroed and the count 0.
void friend_table_reset();
constexpr int FRIEND_RECORD_WORDS = 22;

// The friend list's operations, until the friend windows are built: each records its call.
void friend_display_rebuild();
void friend_on_added(const uint32_t (&words)[FRIEND_RECORD_WORDS]);
void friend_on_record(const uint32_t (&words)[FRIEND_RECORD_WORDS]);
void friend_on_online_state(uint32_t id, uint8_t state);
void friend_on_kind(uint32_t id, uint32_t kind);
void friend_on_points(uint32_t id, uint32_t points);

struct FRIEND_CALL {
  const char* name;  // the operation
  uint32_t id, value;
  uint32_t words[FRIEND_RECORD_WORDS];  // the record of friend_on_added / friend_on_record
};
// The calls since the last reset (at most 4096 kept).
const FRIEND_CALL* friend_calls(int32_t* count);
