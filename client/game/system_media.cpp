#include "client/game/system_media.h"

#include <memory>

#include "core/reset/module_resets.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_names.h"
#include "graphics/mda/mda_services.h"
#include "plat/platform.h"

std::vector<SYSTEM_MEDIA_ENTRY> system_media;

namespace {

void free_frames(std::vector<uint8_t*>& frames) {
  for (uint8_t*& f : frames) mda_frame_buffer_free(&f);
  frames.clear();
}

// The frame count of a media file's head; -1 when the file cannot be opened or has no head (the
// frame reader then reports it with its own message).
int32_t frame_count_of(const char* path) {
  std::unique_ptr<plat::File> file = plat::get().files().open(path, "rb");
  uint8_t head[MDA_HEAD_SIZE];
  if (!file || file->read(head, sizeof head) != sizeof head) return -1;
  plat::ByteReader r(head, sizeof head);
  r.skip(24, "magic");
  return r.i32("frame_count");
}

}  // namespace

int32_t system_media_load(const char* name) {
  int32_t handle = -1;
  if (mda_load_file(name, &handle) != 0) return -2;
  system_media.push_back(SYSTEM_MEDIA_ENTRY{name, handle, {}});
  return 0;
}

int32_t system_media_read_frames(const char* name) {
  SYSTEM_MEDIA_ENTRY entry{name, -1, {}};
  // A count below 1 still asks for frame 0, so that the reader names the fault in its box.
  const int32_t count = frame_count_of(name);
  for (int32_t i = 0; i < (count < 1 ? 1 : count); ++i) {
    uint8_t* frame = nullptr;
    if (mda_read_frame(name, i, &frame) != 0) {
      free_frames(entry.frames);
      return -2;
    }
    entry.frames.push_back(frame);
  }
  system_media.push_back(std::move(entry));
  return 0;
}

int32_t system_media_handle(const char* name) {
  for (const SYSTEM_MEDIA_ENTRY& e : system_media) {
    if (name && e.handle != -1 && mda_name_equal(e.name.c_str(), e.name.size(), name)) return e.handle;
  }
  return -1;
}

const std::vector<uint8_t*>* system_media_frames(const char* name) {
  for (const SYSTEM_MEDIA_ENTRY& e : system_media) {
    if (name && e.handle == -1 && mda_name_equal(e.name.c_str(), e.name.size(), name)) return &e.frames;
  }
  return nullptr;
}

void system_media_free() {
  for (SYSTEM_MEDIA_ENTRY& e : system_media) {
    if (e.handle != -1) mda_object_release(&e.handle);
    free_frames(e.frames);
  }
  system_media.clear();
}

static const ModuleReset k_reset("system media", system_media_free);
