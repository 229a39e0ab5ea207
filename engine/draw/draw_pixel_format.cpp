// Naming the screen's pixel format and installing the routines that match it.
#include <cstdio>

#include "engine/draw/draw.h"
#include "engine/draw/draw_state.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/cpu/cpu.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/rle/rle.h"

namespace {

void log_mask(char channel, uint32_t mask) {
  char* line = sys_message_buffer();
  std::snprintf(line, SYS_MESSAGE_BUFFER_SIZE, " VGA Pixel %c mask : 0x%08x", channel, mask);
  sys_log(1, line);
}

constexpr BLIT_OPS kPlain = {gfx16_blit,   gfx16_fill_rect_blend, gfx16_blit_blend, gfx16_blit_half,
                             gfx16_blit_grey, gfx16_blit_add,     gfx16_brighten,   gfx16_darken,
                             gfx16_blit_rect, rle_draw,           bitmap16_stretch};
constexpr BLIT_OPS kMmx = {mmx_blit_copy, mmx_fill_blend,  mmx_blit_blend, mmx_blit_mix,
                           mmx_blit_grey, mmx_blit_add,    mmx_brighten,   mmx_darken,
                           gfx16_blit_rect, rle_draw,      bitmap16_stretch};

}  // namespace

int draw_mask_low_bit(uint32_t mask) { return pixel_channel_from_mask(mask).low; }
int draw_mask_high_bit(uint32_t mask) { return pixel_channel_from_mask(mask).high; }

int draw_pixel_format_id() { return draw_state().format_id; }
const char* draw_pixel_format_name() { return draw_state().format_name; }

void draw_install_pixel_ops(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask) {
  DrawState& s = draw_state();
  pixel_channels = {pixel_channel_from_mask(red_mask), pixel_channel_from_mask(green_mask),
                    pixel_channel_from_mask(blue_mask)};
  log_mask('R', red_mask);
  log_mask('G', green_mask);
  log_mask('B', blue_mask);

  s.format_id = pixel_format_id_of(pixel_channels);
  // The widths as text, for display only; the id above is what every routine reads.
  std::snprintf(s.format_name, sizeof(s.format_name), "%d%d%d", pixel_channels.red.width,
                pixel_channels.green.width, pixel_channels.blue.width);

  draw_set_present_mode(0);
  draw_set_upload_rows(0, SCREEN_HEIGHT);
  draw_grab_slot = draw_grab_screen;

  pixel_ops = pixel_ops_family(s.format_id);
  char* line = sys_message_buffer();
  // Named by the family installed, so a 32-bit screen reports the 565 routines it uses.
  static constexpr const char* kFamilyNames[] = {"555", "655", "565", "556", "Any Other"};
  std::snprintf(line, SYS_MESSAGE_BUFFER_SIZE, " VGA Pixel Format : %s", kFamilyNames[s.format_id - 1]);
  sys_log(1, line);

  gfx16_set_mmx_masks(s.format_id);
  // No masks exist for any other layout, so that screen gets the plain routines even with MMX.
  const bool mmx = cpu_mmx_flag && s.format_id >= PIXEL_FORMAT_555 && s.format_id <= PIXEL_FORMAT_556;
  blit_ops = mmx ? kMmx : kPlain;
}
