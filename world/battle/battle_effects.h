// The battle's effect slots: media shown on the battle field beside the units (skill effects,
// the onlookers' figures).
#pragma once
#include <cstdint>

constexpr int BATTLE_EFFECT_SLOTS = 20;

struct BATTLE_EFFECT {
  uint8_t active;
  int32_t media_id;  // -1: none
  int32_t x, y;
  int32_t width, height;  // of the media's frames
  uint8_t mirrored;
  int32_t command;  // the "MainCommand%d" it plays
};
extern BATTLE_EFFECT battle_effects[BATTLE_EFFECT_SLOTS];

// The first inactive slot, or -1.
int32_t battle_effect_free_slot();
// Loads the media file into the first free slot and plays the command at (x, y): the slot, or -2
// when none is free or the load fails. Until the battle is built no media is loaded: the slot
// only takes the place.
int32_t battle_add_effect(const char* path, int32_t x, int32_t y, uint8_t mirrored, int32_t command);
// Releases the media of the 20 battle effect slots and clears them.
void battle_free_effects();
