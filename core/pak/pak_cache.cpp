// The block cache: eight 64 KB slots shared by every open archive entry, least recently used
// evicted first. Ages 0..7, higher is more recent; the owned slots always hold distinct ages
// 0..owned-1.

#include "core/pak/pak_internal.h"

namespace {

struct Slot {
  PAK_FILE* owner = nullptr;
  int age = 0;
  int64_t block = -1;
};

struct Cache {
  std::unique_ptr<uint8_t[]> memory;  // PAK_CACHE_SLOTS x 64 KB
  std::unique_ptr<uint8_t[]> packed;  // one stored block, at most 65535 bytes
  Slot slots[PAK_CACHE_SLOTS];
};

Cache g_cache;

int owned_count() {
  int n = 0;
  for (const Slot& s : g_cache.slots) n += s.owner != nullptr;
  return n;
}

}  // namespace

void pak_cache_create() {
  if (g_cache.memory) return;
  g_cache.memory = std::make_unique<uint8_t[]>(size_t{PAK_CACHE_SLOTS} * PAK_BLOCK_SIZE);
  g_cache.packed = std::make_unique<uint8_t[]>(PAK_BLOCK_SIZE);
  for (Slot& s : g_cache.slots) s = Slot{};
}

void pak_cache_destroy() {
  for (Slot& s : g_cache.slots) {
    if (s.owner) s.owner->slot = -1;
    s = Slot{};
  }
  g_cache.memory.reset();
  g_cache.packed.reset();
}

bool pak_cache_exists() { return g_cache.memory != nullptr; }

bool pak_cache_has_owner() { return owned_count() > 0; }

int pak_cache_take(PAK_FILE* file) {
  pak_cache_create();
  Slot* slots = g_cache.slots;
  if (file->slot >= 0) {
    Slot& mine = slots[file->slot];
    int lowered = 0;
    for (Slot& s : g_cache.slots) {
      if (s.owner && s.age > mine.age) {
        --s.age;
        ++lowered;
      }
    }
    mine.age += lowered;
    return file->slot;
  }
  const int owned = owned_count();
  if (owned < PAK_CACHE_SLOTS) {
    for (int i = PAK_CACHE_SLOTS - 1; i >= 0; --i) {
      if (!slots[i].owner) {
        slots[i] = Slot{file, owned, -1};
        file->slot = i;
        return i;
      }
    }
  }
  // All owned: the first slot of the lowest age (0) goes to the file as the most recent.
  int victim = 0;
  for (int i = 1; i < PAK_CACHE_SLOTS; ++i) {
    if (slots[i].age < slots[victim].age) victim = i;
  }
  const int victim_age = slots[victim].age;
  for (int i = 0; i < PAK_CACHE_SLOTS; ++i) {
    if (i != victim && slots[i].age > victim_age) --slots[i].age;
  }
  // The previous owner decodes again on its next read.
  slots[victim].owner->slot = -1;
  slots[victim] = Slot{file, PAK_CACHE_SLOTS - 1, -1};
  file->slot = victim;
  return victim;
}

void pak_cache_release(PAK_FILE* file) {
  if (file->slot < 0) return;
  Slot& mine = g_cache.slots[file->slot];
  // Closing the ages up keeps one slot of age 0 for the next eviction; left with a gap, a full
  // cache could end up with no slot of age 0.
  for (Slot& s : g_cache.slots) {
    if (s.owner && s.age > mine.age) --s.age;
  }
  mine = Slot{};
  file->slot = -1;
}

uint8_t* pak_cache_buffer(int slot) { return g_cache.memory.get() + size_t(slot) * PAK_BLOCK_SIZE; }

int64_t pak_cache_block(int slot) { return g_cache.slots[slot].block; }

void pak_cache_set_block(int slot, int64_t block) { g_cache.slots[slot].block = block; }

uint8_t* pak_cache_packed_buffer() {
  pak_cache_create();
  return g_cache.packed.get();
}
