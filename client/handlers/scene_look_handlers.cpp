// A character taking an NPC look (0x110005) and timed map animations (0x130008).
#include "client/handlers/client_handlers.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_services.h"

void char_state_on_npc_look(uint32_t, int32_t char_id, net_msg::Payload payload) {
  const int32_t look = static_cast<int32_t>(payload.u32(0));
  const int32_t i = scene_find_char(static_cast<uint32_t>(char_id));
  if (i >= 0) scene_set_char_npc_look(i, look);
}

void scene_on_animation(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.size() != 16) return;
  scene_add_obj147_animation(static_cast<int32_t>(payload.u32(0)), static_cast<int32_t>(payload.u32(4)),
                             static_cast<int32_t>(payload.u32(8)), static_cast<int32_t>(payload.u32(12)));
}
