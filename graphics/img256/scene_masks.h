// The see-through masks of the map objects: rectangles in map pixels, each with a bit mask
// (rows of width / 8 bytes, the leftmost pixel in bit 128). The scene owns and fills the list;
// sprite drawing only reads it. It stays empty until the scene provides mask data.
#pragma once
#include <cstdint>

struct SCENE_MASK {
  int32_t width;
  int32_t height;
  int32_t x;
  int32_t y;
  const uint8_t* mask;  // null: the record hides nothing
};

struct SCENE_MASK_LIST {
  int32_t count;          // entries of order
  const int32_t* order;   // indexes into records, in test order
  const SCENE_MASK* records;
  int32_t record_count;   // indexes outside 0..record_count - 1 are passed over
};

extern SCENE_MASK_LIST scene_mask_list;

// Empty list (tests and the scene's clean-up).
void scene_mask_list_reset();
