#include "world/scene/scene_services.h"

#include <cstring>
#include <string>

#include "client/common/seam_calls.h"

void scene_add_pet_follower(const PET_FOLLOW_RECORD& record) {
  seam_call("scene_add_pet_follower", record.pet_id, record.owner_id, record.look,
            std::string(record.name, strnlen(record.name, sizeof record.name)));
}

void scene_set_char_name(uint32_t id, const char* name) { seam_call("scene_set_char_name", id, 0, 0, name); }

void scene_set_char_npc_look(int32_t index, uint32_t look) { seam_call("scene_set_char_npc_look", index, look); }

void scene_add_obj147_animation(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  seam_call("scene_add_obj147_animation", a, b, c, std::to_string(d));
}

void scene_release_object_unless_shown(int32_t media) { seam_call("scene_release_object_unless_shown", media); }
