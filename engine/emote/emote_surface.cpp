// The picture surface: loading the two media files and the GDI path's frame runner.
#include "engine/emote/emote_surface.h"

#include <cstdio>
#include <cstring>

#include "engine/emote/emote_text.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/img256.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"

namespace {

std::string command_name(int32_t i) {
  char name[32];
  std::snprintf(name, sizeof name, "MainCommand%d", i);
  return name;
}

// Wraps v into 0 .. n - 1 (n > 0), also for negative v.
int64_t wrap(int64_t v, int64_t n) {
  const int64_t m = v % n;
  return m < 0 ? m + n : m;
}

}  // namespace

int32_t surface_load(EMOTE_DIB_SURFACE& s, const char* path) {
  if (!path || mda_load_file(path, &s.emote_media) != 0 || s.emote_media < 0) return EMOTE_TEXT_FAIL;
  int32_t index = mda_find_by_id(s.emote_media);
  const int32_t commands = index < 0 ? 0 : mda_table.entries[index].command_count;
  for (int32_t i = 0; i < commands; ++i) {
    EMOTE_PICTURE p;
    p.command = command_name(i);
    // The run may show a box; the entry is looked up again after it.
    mda_run_command(s.emote_media, p.command.c_str(), 0, 0, screen_work, MDA_FIRST_STEP, 0, 0, 0);
    index = mda_find_by_id(s.emote_media);
    if (index < 0) return EMOTE_TEXT_FAIL;
    const MDA_ENTRY& e = mda_table.entries[index];
    const int32_t number = mda_find_command(p.command.c_str(), index);
    p.frame_count = number >= 0 && number < e.command_count ? e.step_count[number] : 0;
    if (const Img256Frame* first = mda_frame_image(index, 0)) {
      p.width = first->width();
      p.height = first->height();
    }
    char name[16];
    std::snprintf(name, sizeof name, "%03d", i);
    s.pictures[name] = std::move(p);
  }
  if (mda_load_file(EMOTE_MENU_MEDIA, &s.menu_media) != 0 || s.menu_media < 0) return EMOTE_TEXT_FAIL;
  return 0;
}

void surface_release_media(EMOTE_DIB_SURFACE& s) {
  mda_object_release(&s.emote_media);
  mda_object_release(&s.menu_media);
}

void surface_clear_drawn_flags(EMOTE_DIB_SURFACE& s) {
  for (auto& [name, p] : s.pictures) p.drawn = 0;
}

int32_t emote_run_frame(int32_t media, const char* command, int32_t x, int32_t y, PIXEL_BLOCK24* block, int32_t step,
                        const PIXEL_BLOCK24* background, plat::Rect* rect) {
  if (media < 0 || !command || !rect) return 0;
  int32_t index = mda_find_by_id(media);
  if (index < 0) return 0;
  const int32_t number = mda_find_command(command, index);
  if (number < 0) {
    mda_message("MDA command error (%s)", command);
    return 0;
  }
  char frame_name[MDA_NAME_SIZE + 1] = {};
  if (mda_get_step_frame_name(number, step, index, frame_name) != 0) {
    mda_message("MDA database error (%d)", step);
    return 0;
  }
  const Img256Frame* frame = mda_frame_image(index, mda_find_frame(index, frame_name));
  if (!frame || !block) return 0;
  rect->left -= frame->hot_x();
  rect->top -= frame->hot_y();
  rect->right = frame->width();
  rect->bottom = frame->height();
  const bool has_bg = background && background->width > 0 && background->height > 0;
  const uint8_t* palette = frame->palette();
  img256_walk(*frame, [&](uint32_t row, uint32_t col, const uint8_t* pairs, uint32_t n) {
    const int64_t py = int64_t{y} + row;
    if (py < 0 || py >= block->height) return;
    for (uint32_t k = 0; k < n; ++k) {
      const int64_t px = int64_t{x} + col + k;
      const uint8_t index_byte = pairs[2 * k], alpha = pairs[2 * k + 1];
      if (px < 0 || px >= block->width || alpha < 50) continue;
      uint8_t r = palette[3 * index_byte], g = palette[3 * index_byte + 1], b = palette[3 * index_byte + 2];
      // Pure black is the mask's transparent colour.
      if (!r && !g && !b) r = g = b = 1;
      uint8_t* d = block->rows[py] + px * 3;
      if (alpha > 200) {
        d[0] = b, d[1] = g, d[2] = r;
        continue;
      }
      if (has_bg) {
        const int64_t bx = wrap(int64_t{rect->left} + col + k, background->width);
        const int64_t by = wrap(int64_t{rect->top} + row, background->height);
        std::memcpy(d, background->rows[by] + bx * 3, 3);
      } else {
        d[0] = d[1] = d[2] = 0;
      }
      d[0] = colour_blend(d[0], b, alpha);
      d[1] = colour_blend(d[1], g, alpha);
      d[2] = colour_blend(d[2], r, alpha);
    }
  });
  return step == 0 ? 2 : 1;
}
