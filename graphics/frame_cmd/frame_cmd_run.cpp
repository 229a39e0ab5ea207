// mda_run_command: one step of a command per call.
#include <cstring>

#include "core/reset/module_resets.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"

MDA_EXTERNAL_FLAGS mda_external_flags = {0, 100, 0, 0};
int32_t mda_goto_step = -1;
const uint8_t* mda_palette_table = nullptr;

void mda_interpreter_reset() {
  mda_external_flags = {0, 100, 0, 0};
  mda_goto_step = -1;
  mda_palette_table = nullptr;
}

namespace {

// A message box or a sound runs nested frames in which media may be loaded or released and the
// table may move: after such a call the entry is found again by id, and an id given to a newer
// load in the meantime does not count.
struct EntryRef {
  int32_t id;
  uint64_t serial;
  int32_t index;  // where it was last seen: checked first
};

int32_t refind(const EntryRef& ref) {
  const GrowArray<MDA_ENTRY>& entries = mda_table.entries;
  if (ref.index < entries.count && entries[ref.index].id == ref.id && entries[ref.index].serial == ref.serial) {
    return ref.index;
  }
  const int32_t index = mda_find_by_id(ref.id);
  return index >= 0 && entries[index].serial == ref.serial ? index : -1;
}

struct Draw {
  int32_t x, y;
  BITMAP16* target;
  uint32_t flags;
  int32_t percent, level;
};

void change_palette(uint8_t* p, uint32_t flags) {
  const uint8_t* t = mda_palette_table;
  if (t && (flags & (MDA_PALETTE_FLAGS & ~MDA_PAL_GREY))) {
    for (size_t i = 0; i < IMG256_PALETTE_SIZE; ++i) {
      int v = p[i];
      const int k = t[i];
      if (flags & MDA_PAL_REPLACE) v = k;
      if (flags & MDA_PAL_OR) v |= k;
      if (flags & MDA_PAL_AND) v &= k;
      if (flags & MDA_PAL_PERCENT) v = k * v / 100;
      if (flags & MDA_PAL_GROW) v = v + k * v / 100 > 255 ? 255 : v + k * v / 100;
      p[i] = static_cast<uint8_t>(v);
    }
  }
  if (flags & MDA_PAL_GREY) {
    for (size_t i = 0; i < IMG256_PALETTE_SIZE; i += 3) p[i + 1] = p[i + 2] = p[i];
  }
}

void draw_image(const Img256Frame& frame, const Draw& d) {
  const uint32_t f = d.flags;
  uint8_t saved[IMG256_PALETTE_SIZE];
  const bool palette = (f & MDA_PALETTE_FLAGS) != 0;
  if (palette) {
    std::memcpy(saved, frame.palette(), sizeof(saved));
    change_palette(frame.palette(), f);
  }
  if ((f & MDA_ADDITIVE) && (f & MDA_SCALED)) {
    img256_draw_additive_scaled(d.x, d.y, &frame, d.target, d.percent);
  } else if (f & MDA_ADDITIVE) {
    img256_draw_additive(d.x, d.y, &frame, d.target);
  } else if ((f & MDA_FADED) && (f & MDA_SCALED)) {
    img256_draw_scaled_faded(d.x, d.y, &frame, d.target, d.percent, d.level);
  } else if (f & MDA_FADED) {
    img256_draw_faded(d.x, d.y, &frame, d.target, d.level);
  } else if (f & MDA_SCALED) {
    img256_draw_scaled(d.x, d.y, &frame, d.target, d.percent);
  } else {
    img256_draw(d.x, d.y, &frame, d.target);
  }
  // The file's bytes are the same after the call as before it.
  if (palette) std::memcpy(frame.palette(), saved, sizeof(saved));
}

// Plays the frame of that name (or obeys it as an external command). False when the entry went
// away meanwhile.
bool play_frame(const EntryRef& ref, const char* name, const Draw& d, bool second) {
  int32_t index = refind(ref);
  if (index < 0) return false;
  const int32_t frame = mda_find_frame(index, name);
  if (frame < 0) {
    mda_parse_external_command(name);
    return refind(ref) >= 0;
  }
  MDA_ENTRY& e = mda_table.entries[index];
  if (e.images[frame].valid()) {
    e.last_frame = frame;
    draw_image(e.images[frame], d);
    return true;
  }
  const uint8_t* data = e.data + e.frames[frame].offset;
  const uint32_t size = e.frames[frame].size;
  if (is_wave_format(data, size) == 0) {
    mda_play_sound(data, static_cast<int32_t>(size), second ? -1000 : 0);
  } else {
    char text[MDA_FRAME_NAME_SIZE + 1] = {};
    std::memcpy(text, e.frames[frame].name, MDA_FRAME_NAME_SIZE);
    mda_parse_external_command(text);
  }
  return refind(ref) >= 0;
}

}  // namespace

int32_t mda_run_command(int32_t handle, const char* command, int32_t x, int32_t y, BITMAP16* target, uint32_t flags,
                        int32_t percent, int32_t level, int32_t step) {
  if (handle < 0) return 0;
  mda_goto_step = -1;
  int32_t index = mda_find_by_id(handle);
  if (index < 0) return 0;
  const int32_t c = mda_find_command(command, index);
  if (c < 0) {
    mda_message("MDA wrong command(%s)", command ? command : "");
    return 0;
  }
  const EntryRef ref{handle, mda_table.entries[index].serial, index};
  {
    MDA_ENTRY& e = mda_table.entries[index];
    if (c >= e.command_count) return 0;
    if (flags & MDA_FIRST_STEP) e.current_step[c] = 0;
    if (flags & MDA_LAST_STEP) e.current_step[c] = e.step_count[c] - 1;
    if (flags & MDA_EXPLICIT_STEP) {
      if (step >= e.step_count[c]) return 3;
    } else {
      step = e.current_step[c];
    }
  }
  char name[MDA_NAME_SIZE];
  if (mda_get_step_frame_name(c, step, index, name) != 0) {
    mda_message("MDA frame number error(%d)", step);
    return 0;
  }
  const Draw own{x, y, target, flags, percent, level};
  if (!play_frame(ref, name, own, false)) return 0;
  index = refind(ref);
  if (mda_get_step_sound(c, step, index, name) == 0) {
    // The second frame: sounds at -1000, never additive.
    const Draw second{x, y, target, flags & ~static_cast<uint32_t>(MDA_ADDITIVE), percent, level};
    if (!play_frame(ref, name, second, true)) return 0;
    index = refind(ref);
  }
  int32_t result = step == 0 ? 2 : 1;
  MDA_ENTRY& e = mda_table.entries[index];
  const int32_t count = e.step_count[c];
  if (flags & MDA_ADVANCE) {
    e.current_step[c] = step + 1;
    if (e.current_step[c] >= count) {
      result = 3;
      e.current_step[c] = (flags & MDA_LOOP) ? 0 : count - 1;
    }
  }
  // Only a goto of the last external command of this call is still set.
  if (mda_goto_step >= 0 && mda_goto_step < count) e.current_step[c] = mda_goto_step;
  return result;
}

static const ModuleReset k_reset("MDA interpreter", mda_interpreter_reset);
