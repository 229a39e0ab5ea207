// The software cursor: per slot a cake frame list and its current frame, drawn into a frame
// before it is presented and taken out again from a 64 x 64 save-under bitmap.
#include <algorithm>
#include <cstring>

#include "engine/input/input_state.h"
#include "engine/timer/timer.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cake/cake.h"
#include "graphics/rle/rle.h"

namespace {

INPUT_SOFT_CURSOR& sc() { return input_state().cursor; }

bool slot_ok(int32_t slot) { return slot >= 0 && slot < INPUT_CURSOR_SLOTS; }

constexpr int CURSOR_TICK_COUNTER = 11;

void free_slot(int32_t slot) {
  cake_free_frame_list(&sc().lists[slot]);
  sc().lists[slot] = nullptr;
  sc().current[slot] = nullptr;
}

}  // namespace

int input_cursor_init() {
  INPUT_SOFT_CURSOR& c = sc();
  for (int i = 0; i < INPUT_CURSOR_SLOTS; ++i) {
    c.lists[i] = nullptr;
    c.current[i] = nullptr;
  }
  c.save_left = c.save_top = c.save_right = c.save_bottom = 0;
  if (!c.rle_draw) c.rle_draw = rle_draw_to_pixels;
  if (!c.save_under) c.save_under = bitmap16_create(INPUT_CURSOR_SAVE_SIZE, INPUT_CURSOR_SAVE_SIZE);
  return c.save_under ? 0 : -1;
}

void input_cursor_free() {
  for (int i = 0; i < INPUT_CURSOR_SLOTS; ++i) free_slot(i);
  bitmap16_free(&sc().save_under);
  sc().save_left = sc().save_top = sc().save_right = sc().save_bottom = 0;
}

int input_load_cursor_frames(int32_t slot, const char* path) {
  if (!slot_ok(slot)) return -2;
  free_slot(slot);
  CAKE_NODE* head = nullptr;
  if (cake_load_frames_pak(path, &head) != 0 || !head) return -2;
  sc().lists[slot] = head;
  sc().current[slot] = head->next;
  return 0;
}

int input_copy_cursor_frames(int32_t slot, const CAKE_NODE* source, int32_t count) {
  if (!slot_ok(slot)) return -2;
  free_slot(slot);
  CAKE_NODE* head = cake_new_frame_node();
  if (!head) return -2;
  CAKE_NODE* last = head;
  const CAKE_NODE* from = source ? source->next : nullptr;
  for (int32_t i = 0; i < count && from; ++i, from = from->next) {
    CAKE_NODE* node = cake_new_frame_node();
    if (!node) break;
    cake_free_frame(&node->frame);
    node->frame = cake_clone_frame(from->frame);
    node->prev = last;
    last->next = node;
    last = node;
  }
  sc().lists[slot] = head;
  sc().current[slot] = head->next;
  return 0;
}

void cursor_draw_into(int32_t x, int32_t y, uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) {
  INPUT_SOFT_CURSOR& c = sc();
  const INPUT_MOUSE& m = input_state().mouse;
  const int32_t slot = m.current_slot;
  if (!slot_ok(slot) || !c.lists[slot] || !c.current[slot]) return;
  const CAKE_FRAME* frame = c.current[slot]->frame;
  if (!frame || !frame->rle || !pixels) return;
  const RLE_IMAGE* image = frame->rle;

  const int32_t px = x - m.hot_x[slot] + frame->offset_x;
  const int32_t py = y - m.hot_y[slot] + frame->offset_y;

  // Save what the cursor will cover.
  const int32_t left = std::clamp(px, 0, std::max(width, 0));
  const int32_t top = std::clamp(py, 0, std::max(height, 0));
  const int32_t w = std::min({static_cast<int32_t>(std::min<uint32_t>(image->width, 0x7FFFFFFF)), width - left,
                              INPUT_CURSOR_SAVE_SIZE});
  const int32_t h = std::min({static_cast<int32_t>(std::min<uint32_t>(image->height, 0x7FFFFFFF)), height - top,
                              INPUT_CURSOR_SAVE_SIZE});
  if (w > 0 && h > 0 && c.save_under) {
    for (int32_t row = 0; row < h; ++row) {
      const uint16_t* src = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                              static_cast<ptrdiff_t>(top + row) * pitch) + left;
      std::memcpy(c.save_under->rows[row], src, static_cast<size_t>(w) * 2);
    }
    c.save_left = left;
    c.save_top = top;
    c.save_right = left + w;
    c.save_bottom = top + h;
    // Drawn only inside the saved block: an image larger than the save-under bitmap would
    // otherwise leave pixels behind that the restore cannot take out.
    uint16_t* origin = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                                   static_cast<ptrdiff_t>(top) * pitch) + left;
    if (c.rle_draw) c.rle_draw(px - left, py - top, image, origin, pitch, w, h);
  }

  if (timer_ticks[CURSOR_TICK_COUNTER].load(std::memory_order_relaxed) > 4) {
    CAKE_NODE* next = c.current[slot]->next;
    c.current[slot] = next ? next : c.lists[slot]->next;
    timer_ticks[CURSOR_TICK_COUNTER].store(0, std::memory_order_relaxed);
  }
}

void input_cursor_draw(uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) {
  const INPUT_MOUSE& m = input_state().mouse;
  if ((m.cursor_flags & 2) == 0) return;
  cursor_draw_into(m.x, m.y, pixels, pitch, width, height);
}

void input_cursor_restore(BITMAP16* target) {
  INPUT_SOFT_CURSOR& c = sc();
  if (target && c.save_under && c.save_right > c.save_left && c.save_bottom > c.save_top) {
    // Only what lies inside this target goes back.
    const int32_t right = std::min<int64_t>(c.save_right, target->width);
    const int32_t bottom = std::min<int64_t>(c.save_bottom, target->height);
    for (int32_t y = c.save_top; y < bottom; ++y) {
      if (right <= c.save_left) break;
      std::memcpy(target->rows[y] + c.save_left, c.save_under->rows[y - c.save_top],
                  static_cast<size_t>(right - c.save_left) * 2);
    }
  }
  c.save_left = c.save_top = c.save_right = c.save_bottom = 0;
}
