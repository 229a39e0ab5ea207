// POLY: a flat polygon of up to 15 corner points on the ground plane, with a base and a top
// height per point: the footprint of a sprite frame. Cake files store it as 388 bytes, field by
// field. The entry at index count of each point list repeats point 0, closing the polygon.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/bytes.h"

constexpr size_t POLY_RECORD_SIZE = 388;
constexpr int POLY_LIST_SIZE = 16;

struct POLY {
  int32_t count;       // corner points
  int32_t kind;        // the shape builders write 3
  uint8_t min_x_index;
  uint8_t max_x_index;
  uint8_t min_y_index;
  uint8_t max_y_index;
  uint8_t min_top_index;
  uint8_t max_base_index;
  uint8_t zero_bytes[2];  // written 0
  int32_t zero_word;      // written 0
  int32_t centre_x;
  int32_t centre_y;
  int32_t base_height;  // 0: on the ground
  int32_t top_height;
  int32_t x[POLY_LIST_SIZE];
  int32_t y[POLY_LIST_SIZE];
  int32_t base[POLY_LIST_SIZE];   // first height list
  int32_t top[POLY_LIST_SIZE];    // second height list
  int32_t extra[POLY_LIST_SIZE];  // carried along when the points are reordered
  // Planes a x + b y + c z + d = 0, stored interleaved top, base.
  int32_t top_a, base_a, top_b, base_b, top_c, base_c, top_d, base_d;
};

inline constexpr plat::FieldSpec POLY_FIELDS[] = {
    {"count", 0, 4},          {"kind", 4, 4},           {"min x index", 8, 1},    {"max x index", 9, 1},
    {"min y index", 10, 1},   {"max y index", 11, 1},   {"min top index", 12, 1}, {"max base index", 13, 1},
    {"zero bytes", 14, 2},    {"zero word", 16, 4},     {"centre x", 20, 4},      {"centre y", 24, 4},
    {"base height", 28, 4},   {"top height", 32, 4},    {"x", 36, 64},            {"y", 100, 64},
    {"base list", 164, 64},   {"top list", 228, 64},    {"extra list", 292, 64},  {"top plane a", 356, 4},
    {"base plane a", 360, 4}, {"top plane b", 364, 4},  {"base plane b", 368, 4}, {"top plane c", 372, 4},
    {"base plane c", 376, 4}, {"top plane d", 380, 4},  {"base plane d", 384, 4},
};
static_assert(plat::checkLayout(POLY_FIELDS, POLY_RECORD_SIZE));

// The record as the cake "POLY" chunk holds it. poly_read throws plat::MalformedInput when fewer
// than 388 bytes remain.
POLY poly_read(plat::ByteReader& r);
void poly_write(plat::ByteWriter& w, const POLY& poly);
