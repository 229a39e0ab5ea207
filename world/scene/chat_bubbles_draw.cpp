// The per-frame upkeep and drawing of the speech bubbles: overlap push, moving speakers,
// frames and texts, expiry.
#include <cstring>

#include "client/common/seam_calls.h"
#include "core/reset/module_resets.h"
#include "engine/emote/emote_text.h"
#include "graphics/img256/scene_view_origin.h"
#include "plat/tier0.h"
#include "world/battle/battle_camera.h"
#include "world/battle/fight_units.h"
#include "world/scene/chat_bubbles.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_frame.h"

namespace {

struct TICK_STATE {
  uint32_t next;   // clock time of the next advance
  uint32_t count;  // advances so far
};
TICK_STATE tick_state;

void advance_tick(uint32_t now) {
  if (static_cast<int32_t>(now - tick_state.next) < 0) return;
  tick_state.next = now + CHAT_BUBBLE_TICK_MS;
  ++tick_state.count;
}

bool overlap(const CHAT_BUBBLE& a, const CHAT_BUBBLE& b) {
  return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

void free_bubble(int32_t index) {
  chat_bubbles[index].in_use = 0;
  chat_bubble_remove(index);
}

// A bound bubble follows its speaker; false when the speaker has left (the bubble is freed).
bool follow_speaker(int32_t index) {
  CHAT_BUBBLE& b = chat_bubbles[index];
  if (b.speaker_id == 0) return true;
  const int32_t c = scene_find_char(b.speaker_id);
  if (c < 0) {
    free_bubble(index);
    return false;
  }
  const int32_t dx = scene_chars[c].x - b.speaker_x, dy = scene_chars[c].y - b.speaker_y;
  if (dx != 0 || dy != 0) {
    b.x0 += dx;
    b.x1 += dx;
    b.y0 += dy;
    b.y1 += dy;
    b.speaker_x = scene_chars[c].x;
    b.speaker_y = scene_chars[c].y;
  }
  return true;
}

void draw_one(const CHAT_BUBBLE& b, int32_t x, int32_t y, BITMAP16* dest) {
  const int32_t w = b.x1 - b.x0, h = b.y1 - b.y0;
  draw_bubble_frame(x, y, w, h, dest);
  if (emote_text) emote_text->emote_text_draw_line(x + 4, y + 4, w - 8, h - 8, b.text);
}

}  // namespace

uint32_t chat_bubble_anim_tick() { return tick_state.count; }

void scene_draw_chat_bubbles(BITMAP16* dest) {
  seam_call("scene_draw_chat_bubbles");
  const uint32_t now = plat::tier0::msTime();
  advance_tick(now);

  int32_t n = 0;
  while (n < CHAT_BUBBLES && chat_bubble_order[n] >= 0) ++n;
  if (n == 0) return;

  // Neighbours in the list that touch drift apart, the older one upwards.
  for (int32_t k = 0; k + 1 < n; ++k) {
    CHAT_BUBBLE& older = chat_bubbles[chat_bubble_order[k] % CHAT_BUBBLES];
    if (!overlap(older, chat_bubbles[chat_bubble_order[k + 1] % CHAT_BUBBLES])) continue;
    --older.y0;
    --older.y1;
  }

  // Removal compacts the list under us: walk a copy of the n entries.
  int32_t snapshot[CHAT_BUBBLES];
  std::memcpy(snapshot, chat_bubble_order, sizeof snapshot);
  const bool battle = in_battle_flag != 0;
  for (int32_t k = 0; k < n; ++k) {
    const int32_t index = snapshot[k] % CHAT_BUBBLES;
    if (!chat_bubbles[index].in_use) continue;
    const CHAT_BUBBLE& b = chat_bubbles[index];
    if (battle) {
      draw_one(b, battle_camera_screen_x(b.x0), battle_camera_screen_y(b.y0), dest);
    } else {
      if (!follow_speaker(index)) continue;
      draw_one(b, b.x0 - scene_view_origin.x, b.y0 - scene_view_origin.y, dest);
    }
    if (static_cast<int32_t>(now - b.expiry) > 0) free_bubble(index);
  }
}

static const ModuleReset k_reset("chat bubble tick", [] { tick_state = {}; });
