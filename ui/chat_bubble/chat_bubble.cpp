#include "ui/chat_bubble/chat_bubble.h"

#include "client/common/seam_calls.h"
#include "client/common/text_field.h"
#include "client/settings/settings.h"
#include "engine/emote/emote_text.h"
#include "graphics/mda/mda.h"
#include "plat/tier0.h"
#include "plat/types.h"
#include "world/battle/fight_units.h"
#include "world/scene/chat_bubbles.h"
#include "world/scene/scene_chars.h"

namespace {

// The look frame the speaker was last drawn with, or null when it has none yet.
const Img256Frame* speaker_frame(uint32_t char_id) {
  const int32_t c = scene_find_char(char_id);
  if (c < 0 || scene_chars[c].look_handle < 0) return nullptr;
  const int32_t entry = mda_find_by_id(scene_chars[c].look_handle);
  return entry >= 0 ? mda_last_drawn_frame(entry) : nullptr;
}

}  // namespace

void chat_bubble_show(uint32_t char_id, const char* text) {
  seam_call("chat_bubble_show", char_id, 0, 0, text ? text : "");
  if (!text || settings.bubbles == 0 || settings.chat_channels[0] == 0) return;
  // The battle cases belong to the battle bubble code, which is not built yet.
  if (in_battle_flag != 0 || !emote_text) return;
  // The speaker first: one that cannot carry a bubble must not leave a record in use.
  const Img256Frame* frame = speaker_frame(char_id);
  if (!frame) return;
  const SCENE_CHAR& speaker = scene_chars[scene_find_char(char_id)];

  const int32_t slot = speech_bubble_find_free_slot();
  CHAT_BUBBLE& b = chat_bubbles[slot];
  text_field_set(b.text, text);
  plat::Rect box{0, 0, CHAT_BUBBLE_MEASURE_W, CHAT_BUBBLE_MEASURE_H};
  emote_text->emote_text_layout(b.text, &box, 0, nullptr, 0);
  const int32_t w = box.right - box.left, h = box.bottom - box.top;
  b.expiry = plat::tier0::msTime() + CHAT_BUBBLE_SHOW_MS;
  b.in_use = 1;
  b.x0 = speaker.x - w / 2 - 4;
  b.y0 = speaker.y - frame->hot_y() - h - 24;
  b.x1 = b.x0 + w + 8;
  b.y1 = b.y0 + h + 12;
  b.speaker_id = char_id;
  b.speaker_x = speaker.x;
  b.speaker_y = speaker.y;
}
