// The speech bubbles shown over speakers on the map: 50 records, free when in_use is 0.
#pragma once
#include <cstddef>
#include <cstdint>

struct BITMAP16;

constexpr int CHAT_BUBBLES = 50;
constexpr size_t CHAT_BUBBLE_TEXT_SIZE = 161;  // 160 characters and the NUL
constexpr uint32_t CHAT_BUBBLE_TICK_MS = 40;   // the emote animation tick

struct CHAT_BUBBLE {
  uint8_t in_use;
  int32_t x0, y0, x1, y1;  // map pixels, or battle field coordinates in battle
  uint32_t expiry;  // clock time at which it goes
  char text[CHAT_BUBBLE_TEXT_SIZE];
  uint32_t speaker_id;  // 0: not bound to a character
  int32_t speaker_x, speaker_y;  // where the speaker stood when last seen
};

extern CHAT_BUBBLE chat_bubbles[CHAT_BUBBLES];
// The drawing order: bubble indexes, valid ones first, -1 for the rest.
extern int32_t chat_bubble_order[CHAT_BUBBLES];

// Every record free, every order entry -1; -1.
int32_t chat_bubbles_clear();

// Every record free and zeroed, the order list empty.
void chat_bubbles_reset();

// Moves the valid entries of the order list to its front, keeping their order.
void chat_bubble_order_compact();
// The first record not in use (0 when all are), pushed onto the order list.
int32_t speech_bubble_find_free_slot();
// Compacts the list and writes the index into its first free entry; a full list is unchanged.
void chat_bubble_list_push(int32_t index);
// Drops the first entry holding the index and compacts the list.
void chat_bubble_remove(int32_t index);

// The tiled frame of a bubble from the nine window-frame images, centre tiles included.
void draw_bubble_frame(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* dest);

// The emote animation tick: it advances when the clock passes its next time (40 ms apart).
uint32_t chat_bubble_anim_tick();
