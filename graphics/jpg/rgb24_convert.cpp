// 24-bit B,G,R rows (the decoder's padded stride) into 16-bit bitmaps in the screen's format.
#include <algorithm>

#include "graphics/jpg/jpg_load.h"
#include "graphics/pixel_ops/pixel_ops.h"

void convert_rgb24_rows(const uint8_t* rows, BITMAP16* target, int32_t width, int32_t height) {
  convert_rgb24_block(rows, target, 0, 0, width, height, width, height);
}

void convert_rgb24_block(const uint8_t* rows, BITMAP16* target, int32_t target_x, int32_t first_row,
                         int32_t target_width, int32_t target_rows, int32_t width, int32_t height) {
  if (!rows || !target || width < 1 || target_x < 0 || first_row < 0) return;
  const size_t stride = rgb24_stride(width);
  // Clipped to the target so that no size given by a caller writes outside the bitmap.
  const int64_t room_x = static_cast<int64_t>(target->width) - target_x;
  const int64_t room_y = static_cast<int64_t>(target->height) - first_row;
  const int64_t cols = std::min<int64_t>({width, target_width, room_x});
  const int64_t lines = std::min<int64_t>({height, target_rows, room_y});
  if (cols < 1 || lines < 1) return;
  // Every pixel family packs each channel into its own bit field, so a pixel is the OR of three
  // per-channel values: 768 calls of the screen's pack routine instead of one per pixel.
  uint16_t red[256], green[256], blue[256];
  for (int v = 0; v < 256; ++v) {
    red[v] = pixel_ops.pack(v, 0, 0);
    green[v] = pixel_ops.pack(0, v, 0);
    blue[v] = pixel_ops.pack(0, 0, v);
  }
  for (int64_t k = 0; k < lines; ++k) {
    const uint8_t* src = rows + static_cast<size_t>(k) * stride;
    uint16_t* dst = target->rows[first_row + k] + target_x;
    for (int64_t i = 0; i < cols; ++i, src += 3) dst[i] = red[src[2]] | green[src[1]] | blue[src[0]];
  }
}
