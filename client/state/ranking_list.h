// The ranking the server sends in pages of 20 records (0x19000a), kept in descending order of
// the signed byte at 25, then the unsigned byte at 26; equal keys stay in arrival order. The list
// is never emptied during a session, so it holds at most RANKING_LIST_MAX records.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/grow_array.h"
#include "plat/bytes.h"

constexpr size_t RANKING_RECORD_SIZE = 28;
constexpr int32_t RANKING_LIST_MAX = 1000;

struct RANKING_RECORD {
  uint32_t id;          // 0: an empty place in the page
  uint8_t body[21];     // passed on to the ranking window as it came
  uint8_t order_major;  // compared signed
  uint8_t order_minor;  // compared unsigned
  uint8_t tail;
};

constexpr plat::FieldSpec RANKING_RECORD_FIELDS[] = {
    {"id", 0, 4}, {"body", 4, 21}, {"order major", 25, 1}, {"order minor", 26, 1}, {"tail", 27, 1},
};
static_assert(plat::checkLayout(RANKING_RECORD_FIELDS, RANKING_RECORD_SIZE));
constexpr auto RANKING_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.body, sizeof r.body);
  v.u8(r.order_major);
  v.u8(r.order_minor);
  v.u8(r.tail);
};
static_assert(plat::walkMatchesLayout<RANKING_RECORD>(RANKING_RECORD_FIELDS, RANKING_RECORD_WALK));

extern GrowArray<RANKING_RECORD> ranking_list;

// Inserts before the first record that orders below it (after every equal one). A full list
// drops the record that would go last, or its last record to make room; the first drop is logged.
void ranking_list_insert(const RANKING_RECORD& record);
