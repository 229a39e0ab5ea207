#include "client/common/outlined_text.h"

#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/pixel_ops.h"

void draw_outlined_text(int32_t x, int32_t y, uint16_t colour, const char* text) {
  BITMAP16* target = screen_back;
  font_set_color(pixel_ops.pack_rgb(0x000000));
  const int32_t offsets[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (const auto& o : offsets) {
    font_draw_text(0, 0, "~Z1", 1, target);
    font_draw_text(x + o[0], y + o[1], text, 1, target);
  }
  font_set_color(colour);
  font_draw_text(0, 0, "~Z1", 1, target);
  font_draw_text(x, y, text, 1, target);
  font_set_color(pixel_ops.pack_rgb(0xFFFFFF));
}
