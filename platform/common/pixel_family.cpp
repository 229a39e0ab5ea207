// Pixel family masks and conversions.
#include "common/pixel_family.h"

#include <cstdio>
#include <cstring>

#include "plat/platform.h"

namespace plat {

PixelMasks masksOf(PixelFamily f) {
  switch (f) {
    case PixelFamily::Rgb565: return {0xF800, 0x07E0, 0x001F};
    case PixelFamily::Rgb555: return {0x7C00, 0x03E0, 0x001F};
    case PixelFamily::Rgb655: return {0xFC00, 0x03E0, 0x001F};
    case PixelFamily::Rgb556: return {0xF800, 0x07C0, 0x003F};
    case PixelFamily::Rgb444: return {0x0F00, 0x00F0, 0x000F};
  }
  return {0xF800, 0x07E0, 0x001F};
}

PixelFamily pixelFamilyFromEnvironment() {
  const std::string& text = environment().pixelFormat;
  if (text.empty()) return PixelFamily::Rgb565;
  if (auto f = common::parsePixelFamily(text)) return *f;
  static bool warned = false;
  if (!warned) {
    warned = true;
    std::fprintf(stderr, "VELDRA_PIXEL_FORMAT: unknown family, using 565\n");
  }
  return PixelFamily::Rgb565;
}

}  // namespace plat

namespace plat::common {

std::optional<PixelFamily> parsePixelFamily(std::string_view t) {
  if (t == "565") return PixelFamily::Rgb565;
  if (t == "555") return PixelFamily::Rgb555;
  if (t == "655") return PixelFamily::Rgb655;
  if (t == "556") return PixelFamily::Rgb556;
  if (t == "444") return PixelFamily::Rgb444;
  return std::nullopt;
}

void rowTo565(PixelFamily family, const uint16_t* src, uint16_t* dst, int n) {
  switch (family) {
    case PixelFamily::Rgb655:  // R6 G5 B5: drop red's low bit, widen green
      for (int i = 0; i < n; ++i) {
        uint32_t p = src[i];
        uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x1F, b = p & 0x1F;
        dst[i] = static_cast<uint16_t>((r << 11) | (((g << 1) | (g >> 4)) << 5) | b);
      }
      break;
    case PixelFamily::Rgb556:  // R5 G5 B6: widen green, drop blue's low bit
      for (int i = 0; i < n; ++i) {
        uint32_t p = src[i];
        uint32_t r = (p >> 11) & 0x1F, g = (p >> 6) & 0x1F, b = (p >> 1) & 0x1F;
        dst[i] = static_cast<uint16_t>((r << 11) | (((g << 1) | (g >> 4)) << 5) | b);
      }
      break;
    default:
      std::memcpy(dst, src, static_cast<size_t>(n) * sizeof(uint16_t));
      break;
  }
}

uint8_t channel8(uint16_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  uint32_t shift = 0;
  while (((mask >> shift) & 1u) == 0) ++shift;
  uint32_t max = mask >> shift;
  uint32_t v = (pixel & mask) >> shift;
  return static_cast<uint8_t>((v * 255u + max / 2) / max);
}

}  // namespace plat::common
