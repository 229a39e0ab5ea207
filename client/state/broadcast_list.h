// The server broadcasts the ticker scrolls through, in the order the handlers insert them. The
// account screen empties the list when it starts.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/grow_array.h"

constexpr size_t BROADCAST_TEXT_SIZE = 512;
constexpr size_t BROADCAST_ENTRY_SIZE = 524;

struct BROADCAST_ENTRY {
  uint32_t id;          // the remove message names it
  uint32_t start_time;  // seconds since 1970
  uint32_t end_time;    // seconds since 1970; 0 never expires
  char text[BROADCAST_TEXT_SIZE];  // emote-coded
};
static_assert(sizeof(BROADCAST_ENTRY) == BROADCAST_ENTRY_SIZE);

extern GrowArray<BROADCAST_ENTRY> broadcast_list;

// Replaces the entry with the same id, or appends it.
void broadcast_list_store(const BROADCAST_ENTRY& entry);
// Removes the entry with that id; nothing when none has it.
void broadcast_list_remove(uint32_t id);
