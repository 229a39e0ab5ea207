// Shared pieces of the RLE and cake tests: seeded sprites, owned images and a per-pixel
// reference decode of a run stream.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/primitives/bitmap8.h"
#include "graphics/rle/rle.h"

namespace rlet {

struct FreeRle {
  void operator()(RLE_IMAGE* i) const { rle_free(&i); }
};
using Image = std::unique_ptr<RLE_IMAGE, FreeRle>;
struct FreeB8 {
  void operator()(BITMAP8* b) const { bitmap8_free(&b); }
};
using Mask = std::unique_ptr<BITMAP8, FreeB8>;

// Mask values that cover every run kind: transparent, opaque, shadow, alpha levels with and
// without the edge flag, a solid edge and a shadow edge.
inline const uint8_t kMaskValues[] = {0, 1, 2, 0x08, 0x0C, 0x80, 0x84, 0xF8, 0xFC, 5, 6};

struct Sprite {
  std::unique_ptr<BITMAP16, void (*)(BITMAP16*)> bitmap{nullptr, [](BITMAP16* b) { bitmap16_free(&b); }};
  Mask mask;
};

// Runs of random length (now and then longer than 255) of random mask values.
inline Sprite random_sprite(std::mt19937& rng, int w, int h) {
  Sprite s;
  s.bitmap.reset(bitmap16_create(w, h));
  s.mask.reset(bitmap8_create(w, h));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w;) {
      const uint8_t m = kMaskValues[rng() % std::size(kMaskValues)];
      int n = rng() % 8 == 0 ? 260 + static_cast<int>(rng() % 20) : 1 + static_cast<int>(rng() % 6);
      for (; n > 0 && x < w; --n, ++x) {
        s.mask->rows[y][x] = m;
        s.bitmap->rows[y][x] = static_cast<uint16_t>(rng() | 1);
      }
    }
  }
  return s;
}

enum class Kind { None, Literal, Solid, Alpha, Shadow };
struct Cell {
  Kind kind = Kind::None;
  uint8_t code = 0;
  uint16_t colour = 0;
};

// What each image pixel is, read from the stream row by row as the format says.
inline std::vector<std::vector<Cell>> decode(const RLE_IMAGE* img) {
  std::vector<std::vector<Cell>> cells(img->height, std::vector<Cell>(img->width));
  const uint8_t* s = rle_stream(img);
  for (uint32_t r = 0; r < img->height; ++r) {
    uint32_t at = img->rows[r], col = 0;
    while (col < img->width) {
      const uint8_t count = s[at], code = s[at + 1];
      if (count) {
        uint16_t c;
        std::memcpy(&c, s + at + 2, 2);
        const Kind k = (code & 2) ? Kind::Shadow : (code & 1) ? Kind::Solid : Kind::Alpha;
        for (int i = 0; i < count; ++i) cells[r][col + i] = {k, code, c};
        col += count;
        at += 4;
      } else if (code == 0) {
        break;
      } else if (code == 1) {
        return cells;
      } else if (code == 2) {
        col += s[at + 2];
        r += s[at + 3];
        at += 4;
      } else {
        for (int i = 0; i < code; ++i) {
          uint16_t c;
          std::memcpy(&c, s + at + 2 + 2 * i, 2);
          cells[r][col + i] = {Kind::Literal, 0, c};
        }
        col += code;
        at += 2 + 2 * code;
      }
    }
  }
  return cells;
}

inline Image image_of(std::vector<uint8_t> stream, uint32_t w, std::vector<uint32_t> rows) {
  Image img(rle_create(static_cast<int32_t>(w), static_cast<int32_t>(rows.size()), static_cast<uint32_t>(stream.size())));
  std::memcpy(rle_stream(img.get()), stream.data(), stream.size());
  for (size_t i = 0; i < rows.size(); ++i) img->rows[i] = rows[i];
  return img;
}

}  // namespace rlet
