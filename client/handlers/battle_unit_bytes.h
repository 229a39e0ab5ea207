// The {u32 unit id, byte, 3 bytes} pairs that set the fight units' byte at 48 (messages 0xc0006
// and 0xc0014): read whole first, then applied.
#pragma once
#include <cstdint>
#include <vector>

#include "plat/bytes.h"

constexpr uint64_t BATTLE_UNIT_BYTE_SIZE = 8;

struct BATTLE_UNIT_BYTE {
  uint32_t id;
  uint8_t value;
};

// count pairs from a reader that holds them (bounded by the caller, as records() does).
std::vector<BATTLE_UNIT_BYTE> battle_unit_bytes_read(plat::ByteReader& pairs, int32_t count);
// Each pair's byte into the in-use unit with its id.
void battle_unit_bytes_apply(const std::vector<BATTLE_UNIT_BYTE>& pairs);
