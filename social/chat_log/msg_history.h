// The private-message history: 512 records and the counters of the ring.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int MSG_HISTORY_RECORDS = 512;
constexpr size_t MSG_HISTORY_NAME_SIZE = 20;
constexpr size_t MSG_HISTORY_TEXT_SIZE = 160;

struct MSG_HISTORY_RECORD {
  uint32_t sender_id;
  char sender[MSG_HISTORY_NAME_SIZE];
  char text[MSG_HISTORY_TEXT_SIZE];
  uint32_t time;
};

struct MSG_HISTORY {
  MSG_HISTORY_RECORD records[MSG_HISTORY_RECORDS];
  int32_t head;
  int32_t count;
};

extern MSG_HISTORY msg_history;

// Every record and both counters cleared.
void msg_history_reset();
