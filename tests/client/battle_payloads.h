// Payload builders of the pet and battle messages for the handler tests and benchmarks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/client/handler_payloads.h"

namespace handler_test {

// The 140-byte pet record: id, name, level bits, the ten values (level first) and the stat block
// (look in the upper half of word 10, the byte at 112 in word 11).
inline std::string petRecord(uint32_t id, const std::string& name, uint32_t level = 5, uint16_t look = 0,
                             uint8_t byte112 = 0) {
  Bytes b;
  b.u32(id).text(name, 16).u16(level & 0x7F).u16(0).u32(0);
  for (uint32_t i = 0; i < 10; ++i) b.u32(i == 0 ? level : 100 * id + i);
  for (uint32_t i = 0; i < 18; ++i) {
    uint32_t w = 1000 * id + i;
    if (i == 10) w = (static_cast<uint32_t>(look) << 16) | (w & 0xFFFF);
    if (i == 11) w = (w & 0xFFFFFF00u) | byte112;
    b.u32(w);
  }
  return b;
}

// Fifteen detail words starting at first.
inline std::string petDetails(uint32_t first) {
  Bytes b;
  for (uint32_t i = 0; i < 15; ++i) b.u32(first + i);
  return b;
}

// The 28-byte unit values.
inline std::string unitStats(uint32_t id, int32_t hp, uint32_t flags = 0) {
  return Bytes().u32(id).u32(500).u32(static_cast<uint32_t>(hp)).u32(300).u32(200).u32(0x00070003).u32(flags);
}

// The 68-byte unit of a battle start: slot byte, in use, id, name, values, class and look, type,
// flags, rank.
inline std::string battleUnit(int8_t slot, uint32_t id, const std::string& name, int32_t hp = 100,
                              uint16_t look = 12, uint32_t type = 1, uint8_t rank = 2) {
  Bytes b;
  b.u8(static_cast<uint8_t>(slot)).zeros(3).u8(1).zeros(3).u32(id).text(name, 24);
  b.u32(200).u32(static_cast<uint32_t>(hp)).u32(50).u32(40).u8(3).u8(0).u16(look).u32(type).u32(0);
  b.u8(rank).u8(0).zeros(2);
  return b;
}

// A battle action: six head words (kind, actor, target, extra, the counts, 0), the unit records,
// the 12-byte records and the tail.
inline std::string battleAction(uint8_t kind, uint32_t actor, uint32_t target, const std::vector<std::string>& units,
                                const std::vector<std::string>& hits, const std::string& tail) {
  Bytes b;
  b.u32(kind).u32(actor).u32(target).u32(7);
  b.u32(static_cast<uint32_t>(units.size() & 0xFF) | static_cast<uint32_t>((hits.size() & 0xFF) << 8)).u32(0);
  for (const std::string& u : units) b.s += u;
  for (const std::string& h : hits) b.s += h;
  b.s += tail;
  return b;
}

// One 12-byte record of three words.
inline std::string hit(uint32_t a, uint32_t b, uint32_t c) { return Bytes().u32(a).u32(b).u32(c); }

// A signed count byte and its {unit id, byte} pairs of 8 bytes.
inline std::string unitBytes(int8_t count, const std::vector<std::pair<uint32_t, uint8_t>>& pairs) {
  Bytes b;
  b.u8(static_cast<uint8_t>(count));
  for (const auto& p : pairs) b.u32(p.first).u8(p.second).zeros(3);
  return b;
}

}  // namespace handler_test
