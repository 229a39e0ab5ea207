#include "graphics/mda/mda_index.h"

#include "graphics/mda/mda_names.h"
#include "graphics/primitives/gfx_block.h"

namespace {

uint32_t table_size(int32_t n) {
  uint32_t size = 1;
  while (size < 2u * static_cast<uint32_t>(n > 0 ? n : 0)) size <<= 1;
  return size;
}

uint32_t key_hash(uint32_t key) { return key * 2654435761u; }

// Inserts item unless an equal one is already there (the first keeps the slot).
template <class Equal>
void insert(int32_t* slots, uint32_t mask, uint32_t hash, int32_t item, Equal equal) {
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    if (slots[i] < 0) {
      slots[i] = item;
      return;
    }
    if (equal(slots[i])) return;
  }
}

template <class Equal>
int32_t find(const int32_t* slots, uint32_t mask, uint32_t hash, Equal equal) {
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    if (slots[i] < 0) return -1;
    if (equal(slots[i])) return slots[i];
  }
}

}  // namespace

MdaIndex* mda_index_build(const MDA_ENTRY& e) {
  const uint32_t nf = table_size(e.frame_count), nc = table_size(e.command_records);
  const uint32_t nk = table_size(e.second_records);
  const size_t commands = static_cast<size_t>(e.command_records > 0 ? e.command_records : 0);
  const size_t words = size_t{nf} + nc + nk + commands;
  auto* index = static_cast<MdaIndex*>(gfx_block_alloc(sizeof(MdaIndex) + words * sizeof(int32_t)));
  if (!index) return nullptr;
  auto* slots = reinterpret_cast<int32_t*>(index + 1);
  for (size_t i = 0; i < words; ++i) slots[i] = -1;
  index->frame_slots = slots;
  index->command_slots = slots + nf;
  index->key_slots = slots + nf + nc;
  index->step_first = slots + nf + nc + nk;
  index->frame_mask = nf - 1;
  index->command_mask = nc - 1;
  index->key_mask = nk - 1;

  for (int32_t i = 0; i < e.frame_count; ++i) {
    const char* name = e.frames[i].name;
    insert(index->frame_slots, index->frame_mask, mda_name_hash(name, MDA_FRAME_NAME_SIZE), i, [&](int32_t j) {
      return mda_field_equal(e.frames[j].name, name, MDA_FRAME_NAME_SIZE);
    });
  }
  for (int32_t i = 0; i < e.command_records; ++i) {
    const char* name = e.commands[i].name;  // always terminated
    insert(index->command_slots, index->command_mask, mda_name_hash(name, MDA_NAME_SIZE), i,
           [&](int32_t j) { return mda_name_equal(e.commands[j].name, MDA_NAME_SIZE, name); });
  }
  for (int32_t i = 0; i < e.second_records; ++i) {
    const uint32_t key = e.seconds[i].key;
    insert(index->key_slots, index->key_mask, key_hash(key), i, [&](int32_t j) { return e.seconds[j].key == key; });
  }
  for (int32_t i = 0; i < e.step_records; ++i) {
    const uint32_t c = e.steps[i].command;
    if (c < commands && index->step_first[c] < 0) index->step_first[c] = i;
  }
  return index;
}

void mda_index_free(MdaIndex* index) { gfx_block_free(index); }

int32_t mda_index_frame(const MDA_ENTRY& e, const char* name) {
  if (!e.index || !name || !mda_query_fits(name, MDA_FRAME_NAME_SIZE)) return -1;
  return find(e.index->frame_slots, e.index->frame_mask, mda_name_hash(name, MDA_FRAME_NAME_SIZE),
              [&](int32_t j) { return mda_name_equal(e.frames[j].name, MDA_FRAME_NAME_SIZE, name); });
}

int32_t mda_index_command(const MDA_ENTRY& e, const char* name) {
  if (!e.index || !name || !mda_query_fits(name, MDA_NAME_SIZE)) return -1;
  return find(e.index->command_slots, e.index->command_mask, mda_name_hash(name, MDA_NAME_SIZE),
              [&](int32_t j) { return mda_name_equal(e.commands[j].name, MDA_NAME_SIZE, name); });
}

int32_t mda_index_step(const MDA_ENTRY& e, int32_t command, int32_t step) {
  if (!e.index || command < 0 || command >= e.command_records || step < 0) return -1;
  const int32_t first = e.index->step_first[command];
  if (first < 0 || step >= e.step_records - first) return -1;
  const int32_t k = first + step;
  return e.steps[k].command == static_cast<uint32_t>(command) ? k : -1;
}

int32_t mda_index_second(const MDA_ENTRY& e, uint32_t key) {
  if (!e.index) return -1;
  return find(e.index->key_slots, e.index->key_mask, key_hash(key), [&](int32_t j) { return e.seconds[j].key == key; });
}
