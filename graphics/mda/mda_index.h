// Per-entry lookup tables, built once at load: frames and commands by folded name, second frames
// by key, and the first step of each command. Each keeps the first match in table order, as a
// linear search would find it.
#pragma once
#include <cstdint>

#include "graphics/mda/mda.h"

struct MdaIndex {
  uint32_t frame_mask, command_mask, key_mask;
  int32_t* frame_slots;    // frame index, -1 empty
  int32_t* command_slots;  // command record index, -1 empty
  int32_t* key_slots;      // second-frame record index, -1 empty
  int32_t* step_first;     // per command record: its first step record, -1 none
};

// Null when memory runs out.
MdaIndex* mda_index_build(const MDA_ENTRY& e);
void mda_index_free(MdaIndex* index);

int32_t mda_index_frame(const MDA_ENTRY& e, const char* name);
int32_t mda_index_command(const MDA_ENTRY& e, const char* name);   // record index
int32_t mda_index_step(const MDA_ENTRY& e, int32_t command, int32_t step);  // step record, or -1
int32_t mda_index_second(const MDA_ENTRY& e, uint32_t key);        // second-frame record, or -1
