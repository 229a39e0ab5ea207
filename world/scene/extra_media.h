// Media played on the map outside the scene characters: two slot tables (50 and 20 slots).
#pragma once
#include <cstdint>

constexpr int EXTRA_MEDIA_SLOTS = 50;
constexpr int EXTRA_MEDIA_SMALL_SLOTS = 20;

struct EXTRA_MEDIA_SLOT {
  int32_t handles[2];  // media handles, -1 none
  int32_t step;
  int32_t x, y;
  int32_t time;
  uint8_t playing;
  uint8_t loop;
  uint8_t free;  // 1 while the slot can be taken
};

extern EXTRA_MEDIA_SLOT extra_media_slots[EXTRA_MEDIA_SLOTS];
extern EXTRA_MEDIA_SLOT extra_media_small_slots[EXTRA_MEDIA_SMALL_SLOTS];

// Both tables empty: handles -1, words and flags 0, each slot free.
void extra_media_reset();
