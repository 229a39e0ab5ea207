// The speech bubbles shown over speakers on the map: 50 records, free when in_use is 0.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int CHAT_BUBBLES = 50;
constexpr size_t CHAT_BUBBLE_TEXT_SIZE = 161;  // 160 characters and the NUL

struct CHAT_BUBBLE {
  uint8_t in_use;
  int32_t x0, y0, x1, y1;
  uint32_t expiry;  // frame time at which it goes
  char text[CHAT_BUBBLE_TEXT_SIZE];
  uint32_t speaker_id;
  int32_t speaker_x, speaker_y;  // where the speaker stood when it was shown
};

extern CHAT_BUBBLE chat_bubbles[CHAT_BUBBLES];
// The drawing order: bubble indexes, valid ones first, -1 for the rest.
extern int32_t chat_bubble_order[CHAT_BUBBLES];

// Every record free, every order entry -1; -1.
int32_t chat_bubbles_clear();

// Every record free and zeroed, the order list empty.
void chat_bubbles_reset();
