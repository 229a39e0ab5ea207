// The software canvas: 24-bit B,G,R pixels in rows, top-down or bottom-up, with the drawing the
// game did through device contexts (fills, one-pixel lines, raster-op blits, text through the
// glyph rasteriser). Pure memory, no window system; main thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "plat/types.h"

namespace plat {

// 0xRRGGBB.
constexpr uint32_t rgb24(uint8_t r, uint8_t g, uint8_t b) { return uint32_t{r} << 16 | uint32_t{g} << 8 | b; }

enum class BlitOp { Copy, And, Or };

// Someone else's 24-bit B,G,R rows (row 0 is the top); the rows must hold width x 3 bytes.
struct Pixels24View {
  int32_t width = 0, height = 0;
  const uint8_t* const* rows = nullptr;
};

struct TextExtent {
  int32_t cx = 0, cy = 0;
};

// Every point of the one-pixel line from (x1, y1) to (x2, y2), both ends included, stepping
// along the major axis from its lower end.
template <class Plot>
void forEachLinePoint(int32_t x1, int32_t y1, int32_t x2, int32_t y2, Plot plot) {
  const int64_t dx = std::llabs(int64_t{x2} - x1), dy = std::llabs(int64_t{y2} - y1);
  if (dx >= dy) {
    if (x1 > x2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const int32_t step = y2 >= y1 ? 1 : -1;
    int64_t err = dx / 2;
    int32_t y = y1;
    for (int64_t x = x1; x <= x2; ++x) {
      plot(static_cast<int32_t>(x), y);
      err -= dy;
      if (err < 0) {
        y += step;
        err += dx;
      }
    }
  } else {
    if (y1 > y2) {
      std::swap(x1, x2);
      std::swap(y1, y2);
    }
    const int32_t step = x2 >= x1 ? 1 : -1;
    int64_t err = dy / 2;
    int32_t x = x1;
    for (int64_t y = y1; y <= y2; ++y) {
      plot(x, static_cast<int32_t>(y));
      err -= dx;
      if (err < 0) {
        x += step;
        err += dy;
      }
    }
  }
}

class Canvas24 {
 public:
  static constexpr int32_t kMaxSize = 16384;
  static constexpr int kDefaultCell = 12;

  // Sizes outside 0..kMaxSize give an empty canvas (0 x 0). The pixels start black.
  Canvas24(int32_t width, int32_t height, bool bottomUp = false);

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  bool bottomUp() const { return bottomUp_; }
  size_t stride() const { return stride_; }  // width x 3 rounded up to 4 bytes
  // The rows as stored in memory (the last picture row first when bottom-up).
  uint8_t* bits() { return pixels_.data(); }
  // Picture row y (0 is the top); null outside.
  uint8_t* row(int32_t y);
  const uint8_t* row(int32_t y) const;
  // 0xRRGGBB at (x, y); 0 outside.
  uint32_t pixel(int32_t x, int32_t y) const;
  void setPixel(int32_t x, int32_t y, uint32_t rgb);

  // Text cell height in pixels (the font size); double-byte characters advance a cell, single
  // bytes half a cell.
  void setCellSize(int px) { cell_ = px < 1 ? 1 : (px > 32 ? 32 : px); }
  int cellSize() const { return cell_; }

  // Every drawing call clips to the canvas.
  void fill(const Rect& r, uint32_t rgb);
  void frame(const Rect& r, uint32_t rgb);  // the one-pixel border inside r
  // An 8 x 8 brush over r, tiled from the canvas's origin: bit 7 of rows[y % 8] is column 0;
  // set bits take ink, clear ones paper.
  void pattern(const Rect& r, const uint8_t rows[8], uint32_t ink, uint32_t paper);
  void line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t rgb);
  // w x h pixels from (sx, sy) of the source to (dx, dy).
  void blit(int32_t dx, int32_t dy, int32_t w, int32_t h, const Canvas24& src, int32_t sx, int32_t sy, BlitOp op);
  void blit(int32_t dx, int32_t dy, int32_t w, int32_t h, const Pixels24View& src, int32_t sx, int32_t sy, BlitOp op);
  // Code page 936 text with its top-left corner at (x, y), one line; returns the x after it.
  int32_t text(int32_t x, int32_t y, std::string_view cp936, uint32_t rgb);
  // Left-aligned from the rectangle's top-left, clipped to it; CR, LF or CR LF start a new line.
  void drawText(const Rect& r, std::string_view cp936, uint32_t rgb);
  // The sum of the advances and the cell height.
  TextExtent measure(std::string_view cp936) const;

 private:
  int32_t text(int32_t x, int32_t y, std::string_view cp936, uint32_t rgb, const Rect& clip);

  int32_t width_ = 0, height_ = 0;
  bool bottomUp_ = false;
  size_t stride_ = 0;
  int cell_ = kDefaultCell;
  std::vector<uint8_t> pixels_;
};

}  // namespace plat
