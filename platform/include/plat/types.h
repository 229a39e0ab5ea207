// Small value types shared by every platform interface.
#pragma once
#include <cstdint>

namespace plat {

using WindowId = uint32_t;  // 0 = no window
constexpr WindowId kNoWindow = 0;

struct Point { int32_t x = 0, y = 0; };
struct Size { int32_t w = 0, h = 0; };
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
};

// The screen's 16-bit pixel family, chosen by VELDRA_PIXEL_FORMAT (565 by default).
enum class PixelFamily { Rgb565, Rgb555, Rgb655, Rgb556, Rgb444 };

struct PixelMasks { uint32_t red = 0, green = 0, blue = 0; };

}  // namespace plat
