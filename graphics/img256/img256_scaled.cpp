// The scaled blitters: each source column and row repeated trunc((i + 1) x scale) -
// trunc(i x scale) times, scale = percent x 0.01.
#include <algorithm>
#include <vector>

#include "graphics/img256/img256_draw.h"
#include "graphics/img256/img256_pixel.h"
#include "graphics/img256/img256_soft.h"
#include "plat/crt.h"

namespace {

enum class Mode { Soft, Add, Scatter };

struct Run {
  uint32_t col;
  const uint8_t* pairs;
  uint32_t n;
};

void draw_scaled(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent, int32_t level,
                 Mode mode, int32_t spread) {
  if (!frame || !frame->valid() || !target) return;
  if (frame->width() < 2 || frame->height() < 2) return;
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  const double scale = percent * 0.01;
  auto at = [scale](int64_t i) { return static_cast<int64_t>(static_cast<double>(i) * scale); };
  const int64_t left = int64_t{x} - static_cast<int64_t>(frame->hot_x() * scale);
  const int64_t top = int64_t{y} - static_cast<int64_t>(frame->hot_y() * scale);
  const int64_t tw = target->width, th = target->height;
  // A scattered pixel lands at most 10 x spread away, so only positions that near are visited.
  const int64_t s = mode == Mode::Scatter ? std::max<int64_t>(spread, 0) : 0;
  const int64_t reach = 10 * s, modulus = 20 * s + 1;
  const uint8_t* palette = frame->palette();

  auto plot = [&](int64_t px, int64_t py, uint8_t index, uint8_t alpha) {
    if (mode == Mode::Scatter) {
      px += reach - plat::crt_rand() % modulus;
      py += reach - plat::crt_rand() % modulus;
    }
    if (px < 0 || py < 0 || px >= tw || py >= th) return;
    uint16_t* dst = target->rows[py] + px;
    if (mode == Mode::Add) {
      img256_add_pixel(st, dst, px, py, palette + 3 * index, alpha);
    } else {
      img256_soft_pixel(st, dst, px, py, palette + 3 * index, alpha, level);
    }
  };

  thread_local std::vector<Run> runs;
  runs.clear();
  uint32_t current = 0;
  auto flush = [&](uint32_t row) {
    const int64_t y0 = std::max(top + at(row), -reach), y1 = std::min(top + at(int64_t{row} + 1), th + reach);
    for (int64_t py = y0; py < y1; ++py) {
      for (const Run& r : runs) {
        for (uint32_t i = 0; i < r.n; ++i) {
          const int64_t c = int64_t{r.col} + i;
          const int64_t x0 = std::max(left + at(c), -reach), x1 = std::min(left + at(c + 1), tw + reach);
          for (int64_t px = x0; px < x1; ++px) plot(px, py, r.pairs[2 * i], r.pairs[2 * i + 1]);
        }
      }
    }
    runs.clear();
  };
  img256_walk(*frame, [&](uint32_t row, uint32_t col, const uint8_t* pairs, uint32_t n) {
    if (row != current) {
      flush(current);
      current = row;
    }
    runs.push_back({col, pairs, n});
  });
  flush(current);
}

}  // namespace

void img256_draw_scaled(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent) {
  draw_scaled(x, y, frame, target, percent, 0, Mode::Soft, 0);
}

void img256_draw_scaled_faded(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent,
                              int32_t level) {
  draw_scaled(x, y, frame, target, percent, level, Mode::Soft, 0);
}

void img256_draw_additive_scaled(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent) {
  draw_scaled(x, y, frame, target, percent, 0, Mode::Add, 0);
}

void img256_draw_scattered(int32_t x, int32_t y, const Img256Frame* frame, BITMAP16* target, int32_t percent,
                           int32_t spread) {
  draw_scaled(x, y, frame, target, percent, 0, Mode::Scatter, spread);
}
