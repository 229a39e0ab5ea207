// What the client core's handlers ask of the map scene beyond its character table: pet
// followers, names and NPC looks of characters, timed map animations and the release of media
// objects.
#pragma once
#include <cstdint>

#include "plat/bytes.h"

constexpr int32_t PET_FOLLOW_RECORD_SIZE = 28;
constexpr int32_t PET_FOLLOW_NAME_SIZE = 15;

// A pet walking beside its owner, as message 0x60006 carries it (seven words).
struct PET_FOLLOW_RECORD {
  uint32_t pet_id;
  uint32_t owner_id;
  uint16_t look;
  uint8_t byte_10;
  char name[PET_FOLLOW_NAME_SIZE];  // not always NUL-terminated
  uint8_t byte_26;
};
constexpr plat::FieldSpec PET_FOLLOW_RECORD_FIELDS[] = {
    {"pet id", 0, 4}, {"owner id", 4, 4}, {"look", 8, 2},    {"byte 10", 10, 1},
    {"name", 11, 15}, {"byte 26", 26, 1}, {"pad 27", 27, 1},
};
static_assert(plat::checkLayout(PET_FOLLOW_RECORD_FIELDS, PET_FOLLOW_RECORD_SIZE));
constexpr auto PET_FOLLOW_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.pet_id);
  v.u32(r.owner_id);
  v.u16(r.look);
  v.u8(r.byte_10);
  v.bytes(r.name, PET_FOLLOW_NAME_SIZE);
  v.u8(r.byte_26);
  v.zeros(1);
};
static_assert(plat::walkMatchesLayout<PET_FOLLOW_RECORD>(PET_FOLLOW_RECORD_FIELDS, PET_FOLLOW_RECORD_WALK));

// Adds the pet as a character beside its owner (nothing when the owner is not on the map).
void scene_add_pet_follower(const PET_FOLLOW_RECORD& record);
// Copies a new name into the scene character with that id, cut to the field with a NUL.
void scene_set_char_name(uint32_t id, const char* name);
// Gives the character at the index the look "NPC\\NPC%03da.MDA" and loads it: 0, or -2 after a
// message box.
int32_t scene_set_char_npc_look(int32_t index, int32_t look);
// Adds a timed "ani\\Obj147%c.mda" animation ('a' + variant) at a map position for duration steps,
// in the last empty slot of the map effect list, else appended.
void scene_add_obj147_animation(int32_t x, int32_t y, int32_t variant, int32_t duration);
// Releases the media object unless a scene character still shows it.
void scene_release_object_unless_shown(int32_t media);
