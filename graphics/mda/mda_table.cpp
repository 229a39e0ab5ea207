// The media table: entries in load order, found by id or by the path they were loaded from.
#include <cstring>

#include "core/reset/module_resets.h"
#include "graphics/mda/mda_index.h"
#include "graphics/mda/mda_internal.h"
#include "graphics/mda/mda_names.h"
#include "graphics/primitives/gfx_block.h"

MDA_TABLE mda_table = {GrowArray<MDA_ENTRY>(0, 0), 0, 0};

namespace {
uint64_t g_serial = 0;
}  // namespace

void mda_entry_free_blocks(MDA_ENTRY& e) {
  gfx_block_free(e.data);
  gfx_block_free(e.current_step);
  gfx_block_free(e.step_count);
  gfx_block_free(e.frames);
  gfx_block_free(e.commands);
  gfx_block_free(e.steps);
  gfx_block_free(e.seconds);
  gfx_block_free(e.images);
  mda_index_free(e.index);
  e.data = nullptr;
  e.current_step = e.step_count = nullptr;
  e.frames = nullptr;
  e.commands = nullptr;
  e.steps = nullptr;
  e.seconds = nullptr;
  e.images = nullptr;
  e.index = nullptr;
}

int32_t mda_table_insert_at(MDA_TABLE* table, int32_t index, const MDA_ENTRY& record) {
  return table->entries.insert(index, record);
}

void mda_table_remove_at(MDA_TABLE* table, int32_t index) { table->entries.remove(index); }

int32_t mda_new_id() {
  int32_t id = mda_table.count;
  for (;;) {
    if (id > MDA_MAX_ID) id = 0;
    bool taken = false;
    for (const MDA_ENTRY& e : mda_table.entries) {
      if (e.id == id) {
        taken = true;
        break;
      }
    }
    if (!taken) return id;
    ++id;
  }
}

int32_t mda_table_add_entry() {
  MDA_ENTRY record;
  std::memset(&record, 0, sizeof(record));
  record.last_frame = -1;
  record.id = mda_table.next_id;
  record.serial = ++g_serial;
  const int32_t index = mda_table_insert_at(&mda_table, mda_table.entries.count, record);
  if (index < 0) return -1;
  mda_table.count = mda_table.entries.count;
  mda_table.next_id = mda_new_id();
  return index;
}

void mda_table_free_all() {
  for (MDA_ENTRY& e : mda_table.entries) mda_entry_free_blocks(e);
  mda_table.entries.free();
  mda_table.count = 0;
}

void mda_table_reset() {
  mda_table_free_all();
  mda_table.next_id = 0;
}

int32_t mda_find_by_id(int32_t id) {
  for (int32_t i = 0; i < mda_table.entries.count; ++i) {
    if (mda_table.entries[i].id == id) return i;
  }
  return -2;
}

int32_t mda_find_by_name(const char* path) {
  if (!path || !mda_query_fits(path, MDA_PATH_SIZE - 1)) return -2;
  for (const MDA_ENTRY& e : mda_table.entries) {
    if (mda_name_equal(e.file_name, MDA_PATH_SIZE, path)) return e.id;
  }
  return -2;
}

void mda_object_release(int32_t* handle) {
  // Only the entry of this handle is freed: a release of -1 or of a stale handle used to empty a
  // table of one entry, taking another owner's media with it.
  if (!handle || *handle < 0) return;
  const int32_t index = mda_find_by_id(*handle);
  if (index < 0) return;
  mda_entry_free_blocks(mda_table.entries[index]);
  mda_table_remove_at(&mda_table, index);
  mda_table.count = mda_table.entries.count;
  *handle = -1;
}

static const ModuleReset k_reset("MDA table", mda_table_reset);
