#include "client/handlers/own_char_flags.h"

#include "client/game/frame_input.h"
#include "world/scene/scene_chars.h"

void own_char_flags_set(uint32_t flags) {
  const int32_t i = scene_find_char(frame_input.own_char_id);
  if (i >= 0) scene_chars[static_cast<size_t>(i)].flags |= flags;
}
