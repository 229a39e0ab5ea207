#include "world/scene/chat_bubbles.h"

#include <algorithm>
#include <cstring>

#include "core/reset/module_resets.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/img256/window_frame.h"

CHAT_BUBBLE chat_bubbles[CHAT_BUBBLES] = {};
int32_t chat_bubble_order[CHAT_BUBBLES] = {};

int32_t chat_bubbles_clear() {
  for (CHAT_BUBBLE& b : chat_bubbles) b.in_use = 0;
  for (int32_t& entry : chat_bubble_order) entry = -1;
  return -1;
}

void chat_bubble_order_compact() {
  for (int pass = 0; pass < CHAT_BUBBLES - 1; ++pass)
    for (int k = 0; k < CHAT_BUBBLES - 1; ++k)
      if (chat_bubble_order[k] < 0) std::swap(chat_bubble_order[k], chat_bubble_order[k + 1]);
}

void chat_bubble_list_push(int32_t index) {
  chat_bubble_order_compact();
  for (int32_t& entry : chat_bubble_order) {
    if (entry >= 0) continue;
    entry = index;
    return;
  }
}

int32_t speech_bubble_find_free_slot() {
  int32_t slot = 0;
  for (int32_t i = 0; i < CHAT_BUBBLES; ++i) {
    if (chat_bubbles[i].in_use) continue;
    slot = i;
    break;
  }
  chat_bubble_list_push(slot);
  return slot;
}

void chat_bubble_remove(int32_t index) {
  for (int32_t& entry : chat_bubble_order) {
    if (entry != index) continue;
    entry = -1;
    break;
  }
  chat_bubble_order_compact();
}

void draw_bubble_frame(int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* dest) {
  constexpr int32_t kTile = 8;
  const int32_t across = std::max((w - 2 * kTile) / kTile, 0);
  const int32_t down = std::max((h - 2 * kTile) / kTile, 0);
  const int32_t right = x + kTile + kTile * across;
  // One row: its left piece, `across` middle pieces and its right piece.
  auto row = [&](int32_t ry, WindowFramePiece left, WindowFramePiece middle, WindowFramePiece last) {
    img256_draw(x, ry, &window_frame_images[left], dest);
    for (int32_t i = 0; i < across; ++i) img256_draw(x + kTile + kTile * i, ry, &window_frame_images[middle], dest);
    img256_draw(right, ry, &window_frame_images[last], dest);
  };
  row(y, WINDOW_FRAME_TOP_LEFT, WINDOW_FRAME_TOP, WINDOW_FRAME_TOP_RIGHT);
  for (int32_t r = 0; r < down; ++r)
    row(y + kTile + kTile * r, WINDOW_FRAME_LEFT, WINDOW_FRAME_CENTRE, WINDOW_FRAME_RIGHT);
  row(y + kTile + kTile * down, WINDOW_FRAME_BOTTOM_LEFT, WINDOW_FRAME_BOTTOM, WINDOW_FRAME_BOTTOM_RIGHT);
}

void chat_bubbles_reset() {
  std::memset(chat_bubbles, 0, sizeof chat_bubbles);
  chat_bubbles_clear();
}

static const ModuleReset k_reset("chat bubbles", chat_bubbles_reset);
