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
