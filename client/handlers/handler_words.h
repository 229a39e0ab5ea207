// Runs of little-endian words in a handler's payload.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "client/net_msg/payload.h"

// N u32 from at; throws (the message is dropped) when they do not all lie inside the payload.
template <size_t N>
std::array<uint32_t, N> payload_words(net_msg::Payload payload, size_t at = 0) {
  plat::ByteReader r = payload.records(1, 4 * N, at);
  std::array<uint32_t, N> words{};
  for (uint32_t& w : words) w = r.u32("word");
  return words;
}
