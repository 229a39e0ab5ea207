// Lookups in a loaded entry.
#include <cstring>

#include "graphics/mda/mda_index.h"
#include "graphics/mda/mda_internal.h"

namespace {

const MDA_ENTRY* entry_at(int32_t entry) {
  return entry >= 0 && entry < mda_table.entries.count ? &mda_table.entries[entry] : nullptr;
}

}  // namespace

int32_t mda_find_command(const char* name, int32_t entry) {
  const MDA_ENTRY* e = entry_at(entry);
  if (!e) return -2;
  const int32_t record = mda_index_command(*e, name);
  return record < 0 ? -2 : static_cast<int32_t>(e->commands[record].number);
}

int32_t mda_find_frame(int32_t entry, const char* name) {
  const MDA_ENTRY* e = entry_at(entry);
  if (!e) return -2;
  const int32_t frame = mda_index_frame(*e, name);
  return frame < 0 ? -2 : frame;
}

int mda_get_step_frame_name(int32_t command, int32_t step, int32_t entry, char* out) {
  const MDA_ENTRY* e = entry_at(entry);
  if (!e || !out) return -2;
  const int32_t k = mda_index_step(*e, command, step);
  if (k < 0) return -2;
  std::memcpy(out, e->steps[k].frame, MDA_NAME_SIZE);
  return 0;
}

int mda_get_step_sound(int32_t command, int32_t step, int32_t entry, char* out) {
  const MDA_ENTRY* e = entry_at(entry);
  if (!e || !out) return -2;
  const auto key = static_cast<uint32_t>(int64_t{command} * MDA_KEY_STEP + step);
  const int32_t k = mda_index_second(*e, key);
  if (k < 0) return -2;
  std::memcpy(out, e->seconds[k].frame, MDA_NAME_SIZE);
  return 0;
}

uint8_t* mda_get_frame_data(int32_t entry, int32_t frame, uint8_t** out) {
  const MDA_ENTRY* e = entry_at(entry);
  uint8_t* data = nullptr;
  if (e && frame >= 0 && frame < e->frame_count) data = e->data + e->frames[frame].offset;
  if (out) *out = data;
  return data;
}

const Img256Frame* mda_frame_image(int32_t entry, int32_t frame) {
  const MDA_ENTRY* e = entry_at(entry);
  if (!e || frame < 0 || frame >= e->frame_count || !e->images[frame].valid()) return nullptr;
  return &e->images[frame];
}

const Img256Frame* mda_last_drawn_frame(int32_t entry) {
  const MDA_ENTRY* e = entry_at(entry);
  return e ? mda_frame_image(entry, e->last_frame) : nullptr;
}

int is_wave_format(const uint8_t* data, size_t size) {
  if (!data || size < 12) return -2;
  return std::memcmp(data + 8, "WAVE", 4) == 0 ? 0 : -2;
}

int mda_frame_kind(const uint8_t* data, size_t size) {
  if (is_wave_format(data, size) == 0) return MDA_FRAME_SOUND;
  if (img256_has_magic(data, size)) return MDA_FRAME_IMAGE;
  return MDA_FRAME_OTHER;
}
