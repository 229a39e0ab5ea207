// The private-message history: a ring of 512 records, each one private message sent or received.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/bytes.h"

constexpr int MSG_HISTORY_RECORDS = 512;
constexpr size_t MSG_HISTORY_RECORD_SIZE = 188;
constexpr size_t MSG_HISTORY_NAME_SIZE = 15;   // 14 characters and a NUL
constexpr size_t MSG_HISTORY_TEXT_SIZE = 161;  // 160 characters and a NUL

struct MSG_HISTORY_RECORD {
  uint32_t sender_id;
  uint32_t recipient_id;
  uint32_t time;  // seconds since 1970
  char name[MSG_HISTORY_NAME_SIZE];  // the sender's
  char text[MSG_HISTORY_TEXT_SIZE];
};

constexpr plat::FieldSpec MSG_HISTORY_RECORD_FIELDS[] = {
    {"sender", 0, 4}, {"recipient", 4, 4}, {"time", 8, 4}, {"name", 12, 15}, {"text", 27, 161},
};
static_assert(plat::checkLayout(MSG_HISTORY_RECORD_FIELDS, MSG_HISTORY_RECORD_SIZE));
static_assert(sizeof(MSG_HISTORY_RECORD) == MSG_HISTORY_RECORD_SIZE);

// The ring holds at most 511 records: head is where the next one goes, tail the oldest.
struct MSG_HISTORY {
  MSG_HISTORY_RECORD records[MSG_HISTORY_RECORDS];
  int32_t head;
  int32_t tail;
};

extern MSG_HISTORY msg_history;

// Every record cleared, head and tail 0.
void msg_history_reset();
