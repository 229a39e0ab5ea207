// The RLE draw family: one row walker, two placements of its runs (the direct one with no
// per-pixel tests, the clipped one) and one scaled one; each variant is only its per-run
// operation.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/rle/rle.h"

namespace {

constexpr int kShadowScale = 22;

uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// Sprite rows are short: fixed 16-byte moves (inlined) beat a library call of variable size.
inline void copy_pixels(uint8_t* d, const uint8_t* s, size_t n) {
  size_t i = 0;
  for (; i + 16 <= n; i += 16) std::memcpy(d + i, s + i, 16);
  for (; i < n; i += 2) std::memcpy(d + i, s + i, 2);
}

struct Target {
  BITMAP16* bm = nullptr;
  uint8_t* base = nullptr;
  int64_t pitch = 0;
  int32_t w = 0, h = 0;
  uint16_t* row(int32_t y) const {
    return bm ? bm->rows[y] : reinterpret_cast<uint16_t*>(base + static_cast<int64_t>(y) * pitch);
  }
};

Target of(BITMAP16* bm) {
  Target t;
  t.bm = bm;
  t.w = static_cast<int32_t>(std::min<uint32_t>(bm->width, BITMAP16_MAX_SIZE));
  t.h = static_cast<int32_t>(std::min<uint32_t>(bm->height, BITMAP16_MAX_SIZE));
  return t;
}

// Walks rows r0 .. r1 - 1, each from its row offset. The visitor gets every run with a count
// (fill) and every literal run (lit) in image columns. Skips move the column and the row.
template <class V>
void walk(const RLE_IMAGE* img, int32_t r0, int32_t r1, V& v) {
  const uint8_t* s = rle_stream(img);
  const int32_t w = static_cast<int32_t>(img->width);
  for (int32_t r = r0; r < r1; ++r) {
    const uint8_t* p = s + img->rows[r];
    int32_t col = 0;
    while (col < w) {
      const uint8_t count = p[0], code = p[1];
      if (count) {
        v.fill(r, col, count, code, load16(p + 2));
        col += count;
        p += 4;
      } else if (code == 0) {
        break;
      } else if (code == 1) {
        return;
      } else if (code == 2) {
        col += p[2];
        r += p[3];
        p += 4;
        if (r >= r1) return;
      } else {
        v.lit(r, col, code, p + 2);
        col += code;
        p += 2 + 2 * code;
      }
    }
  }
}

// ---- per-run operations ----

const PIXEL_OPS& P() { return pixel_ops; }
bool checker(int32_t tx, int32_t ty) { return ((tx ^ ty) & 1) != 0; }
bool edge(uint8_t code) { return (code & 4) != 0; }
int alpha_level(uint8_t code) { return code & 0xF8; }

struct OpDraw {
  static constexpr bool kCopyLiterals = true;
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { *d = s; }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { *d = c; }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const { P().blend(&c, d, alpha_level(code)); }
  void shadow(uint16_t* d, uint8_t, int32_t, int32_t) const { P().scale(d, kShadowScale); }
};

struct OpPixels : OpDraw {
  void shadow(uint16_t* d, uint8_t, int32_t tx, int32_t ty) const {
    if (checker(tx, ty)) P().scale(d, kShadowScale);
  }
};

struct OpMinAlpha : OpDraw {
  int minimum;
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    if (alpha_level(code) >= minimum) P().blend(&c, d, alpha_level(code));
  }
};

struct OpOutline : OpDraw {
  uint16_t colour;
  void solid(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const { *d = edge(code) ? colour : c; }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t tx, int32_t ty) const {
    if (edge(code)) *d = colour; else OpDraw::alpha(d, code, c, tx, ty);
  }
  void shadow(uint16_t* d, uint8_t code, int32_t tx, int32_t ty) const {
    if (edge(code)) *d = colour; else OpDraw::shadow(d, code, tx, ty);
  }
};

struct OpEdgeLevel : OpDraw {
  int level;
  void solid(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    if (edge(code)) P().blend(&c, d, level); else *d = c;
  }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t tx, int32_t ty) const { solid(d, code, c, tx, ty); }
  void shadow(uint16_t* d, uint8_t code, int32_t, int32_t) const {
    if (!edge(code)) P().scale(d, kShadowScale);
  }
};

struct OpEdges {
  static constexpr bool kCopyLiterals = false;
  uint16_t colour;
  void lit(uint16_t*, uint16_t, int32_t, int32_t) const {}
  void solid(uint16_t* d, uint8_t code, uint16_t, int32_t, int32_t) const {
    if (edge(code)) *d = colour;
  }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t tx, int32_t ty) const { solid(d, code, c, tx, ty); }
  void shadow(uint16_t* d, uint8_t code, int32_t tx, int32_t ty) const { solid(d, code, 0, tx, ty); }
};

struct OpSilhouette {
  static constexpr bool kCopyLiterals = false;
  uint16_t colour;
  void lit(uint16_t* d, uint16_t, int32_t, int32_t) const { *d = colour; }
  void solid(uint16_t* d, uint8_t, uint16_t, int32_t, int32_t) const { *d = colour; }
  void alpha(uint16_t* d, uint8_t, uint16_t, int32_t, int32_t) const { *d = colour; }
  void shadow(uint16_t*, uint8_t, int32_t, int32_t) const {}
};

struct OpChecker : OpDraw {
  static constexpr bool kCopyLiterals = false;
  void lit(uint16_t* d, uint16_t s, int32_t tx, int32_t ty) const {
    if (checker(tx, ty)) *d = s;
  }
  void solid(uint16_t* d, uint8_t code, uint16_t c, int32_t tx, int32_t ty) const {
    if ((code & 0x80) && checker(tx, ty)) *d = c;
  }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t tx, int32_t ty) const { solid(d, code, c, tx, ty); }
};

struct OpGrey : OpDraw {
  static constexpr bool kCopyLiterals = false;
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { P().grey(&s, d); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().grey(&c, d); }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    P().blend(&c, d, alpha_level(code));
    const uint16_t blended = *d;
    P().grey(&blended, d);
  }
};


// Literal pixels through a two-pixel routine; runs as the grey of their colour.
struct OpGreyCombine : OpDraw {
  static constexpr bool kCopyLiterals = false;
  void (*combine)(const uint16_t*, uint16_t*);
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { combine(&s, d); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().grey(&c, d); }
  void alpha(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().grey(&c, d); }
};

// One two-pixel routine for literal pixels and run colours alike (mix, the tints).
struct OpCombine : OpDraw {
  static constexpr bool kCopyLiterals = false;
  void (*combine)(const uint16_t*, uint16_t*);
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { combine(&s, d); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { combine(&c, d); }
  void alpha(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { combine(&c, d); }
};

struct OpBlueBlend : OpDraw {
  static constexpr bool kCopyLiterals = false;
  int level;
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { P().toward_blue(&s, d, level); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().toward_blue(&c, d, level); }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    P().toward_blue(&c, d, alpha_level(code) * level / 255);
  }
};

struct OpAdditive : OpDraw {
  static constexpr bool kCopyLiterals = false;
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { P().add_scaled(&s, d, 255); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().add_scaled(&c, d, 255); }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    if (code & 0x80) P().add_scaled(&c, d, code);
  }
};

struct OpFaded : OpDraw {
  static constexpr bool kCopyLiterals = false;
  int level;
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { P().blend(&s, d, level); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().blend(&c, d, level); }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    P().blend(&c, d, alpha_level(code) * level / 255);
  }
  void shadow(uint16_t* d, uint8_t, int32_t, int32_t) const {
    const uint16_t black = 0;
    P().blend(&black, d, level);
  }
};

struct OpNoShadow : OpDraw {
  void shadow(uint16_t*, uint8_t, int32_t, int32_t) const {}
};

struct OpGlow : OpDraw {
  static constexpr bool kCopyLiterals = false;
  void lit(uint16_t* d, uint16_t s, int32_t, int32_t) const { P().add(&s, d); }
  void solid(uint16_t* d, uint8_t, uint16_t c, int32_t, int32_t) const { P().add(&c, d); }
  void alpha(uint16_t* d, uint8_t code, uint16_t c, int32_t, int32_t) const {
    uint16_t scaled = 0;
    P().scaled(&c, &scaled, alpha_level(code));
    P().add(&scaled, d);
  }
};

// ---- placing runs on the target ----

template <class Op>
void apply_run(const Op& op, uint16_t* row, int32_t c0, int32_t c1, int32_t ty, uint8_t code, uint16_t colour) {
  if (code & 2) {
    for (int32_t tx = c0; tx < c1; ++tx) op.shadow(row + tx, code, tx, ty);
  } else if (code & 1) {
    for (int32_t tx = c0; tx < c1; ++tx) op.solid(row + tx, code, colour, tx, ty);
  } else {
    for (int32_t tx = c0; tx < c1; ++tx) op.alpha(row + tx, code, colour, tx, ty);
  }
}

// kClip false: the image lies wholly inside the target and nothing is tested.
template <class Op, bool kClip>
struct Placer {
  const Op& op;
  Target t;
  int32_t x, y;
  int32_t cl = 0, ct = 0, cr = 0, cb = 0;  // kept columns and rows, target coordinates

  void fill(int32_t r, int32_t col, int32_t n, uint8_t code, uint16_t colour) {
    const int32_t ty = y + r;
    int32_t c0 = x + col, c1 = c0 + n;
    if constexpr (kClip) {
      if (ty < ct || ty >= cb) return;
      c0 = std::max(c0, cl);
      c1 = std::min(c1, cr);
      if (c0 >= c1) return;
    }
    apply_run(op, t.row(ty), c0, c1, ty, code, colour);
  }
  void lit(int32_t r, int32_t col, int32_t n, const uint8_t* px) {
    const int32_t ty = y + r;
    int32_t c0 = x + col, c1 = c0 + n;
    if constexpr (kClip) {
      if (ty < ct || ty >= cb) return;
      c0 = std::max(c0, cl);
      c1 = std::min(c1, cr);
      if (c0 >= c1) return;
    }
    uint16_t* row = t.row(ty);
    const uint8_t* src = px + 2 * (c0 - x - col);
    if constexpr (Op::kCopyLiterals) {
      copy_pixels(reinterpret_cast<uint8_t*>(row + c0), src, static_cast<size_t>(c1 - c0) * 2);
    } else {
      for (int32_t tx = c0; tx < c1; ++tx, src += 2) op.lit(row + tx, load16(src), tx, ty);
    }
  }
};

enum class Walk { Choose, Clipped, Inside };

bool outside(int32_t x, int32_t y, const RLE_IMAGE* img, const Target& t) {
  const int64_t w = img->width, h = img->height;
  return x <= -w || y <= -h || x >= t.w || y >= t.h || w == 0 || h == 0;
}

template <class Op>
void draw_clipped(int32_t x, int32_t y, const RLE_IMAGE* img, const Target& t, const Op& op, int32_t cl, int32_t ct,
                  int32_t cr, int32_t cb) {
  cl = std::max(cl, 0);
  ct = std::max(ct, 0);
  cr = std::min(cr, t.w);
  cb = std::min(cb, t.h);
  const int64_t r0 = std::max<int64_t>(0, static_cast<int64_t>(ct) - y);
  const int64_t r1 = std::min<int64_t>(img->height, static_cast<int64_t>(cb) - y);
  const int64_t c0 = std::max<int64_t>(0, static_cast<int64_t>(cl) - x);
  const int64_t c1 = std::min<int64_t>(img->width, static_cast<int64_t>(cr) - x);
  if (r0 >= r1 || c0 >= c1) return;
  Placer<Op, true> placer{op, t, x, y, cl, ct, cr, cb};
  walk(img, static_cast<int32_t>(r0), static_cast<int32_t>(r1), placer);
}

template <class Op>
void draw(int32_t x, int32_t y, const RLE_IMAGE* img, const Target& t, const Op& op, Walk how = Walk::Choose) {
  if (!img || outside(x, y, img, t)) return;
  const int64_t w = img->width, h = img->height;
  const bool crosses = x < 0 || y < 0 || x + w >= t.w || y + h >= t.h;
  if (how == Walk::Clipped || crosses) {
    draw_clipped(x, y, img, t, op, 0, 0, t.w, t.h);
    return;
  }
  Placer<Op, false> placer{op, t, x, y};
  walk(img, 0, static_cast<int32_t>(h), placer);
}

template <class Op>
void draw_on(int32_t x, int32_t y, const RLE_IMAGE* img, BITMAP16* target, const Op& op, Walk how = Walk::Choose) {
  if (target) draw(x, y, img, of(target), op, how);
}

// ---- scaled ----

template <class Op>
struct ScaledPlacer {
  const Op& op;
  Target t;
  int32_t x, y;
  const int32_t* cs;
  const int32_t* cw;
  const int32_t* rs;
  const int32_t* rh;

  template <class F>
  void each_block_pixel(int32_t r, int32_t col, int32_t n, F f) {
    if (rh[r] <= 0) return;
    const int32_t y0 = std::max(y + rs[r], 0), y1 = std::min(y + rs[r] + rh[r], t.h);
    for (int32_t i = col; i < col + n; ++i) {
      const int32_t x0 = std::max(x + cs[i], 0), x1 = std::min(x + cs[i] + cw[i], t.w);
      for (int32_t ty = y0; ty < y1; ++ty) {
        uint16_t* row = t.row(ty);
        for (int32_t tx = x0; tx < x1; ++tx) f(i, row + tx, tx, ty);
      }
    }
  }
  void fill(int32_t r, int32_t col, int32_t n, uint8_t code, uint16_t colour) {
    each_block_pixel(r, col, n, [&](int32_t, uint16_t* d, int32_t tx, int32_t ty) {
      if (code & 2) op.shadow(d, code, tx, ty);
      else if (code & 1) op.solid(d, code, colour, tx, ty);
      else op.alpha(d, code, colour, tx, ty);
    });
  }
  void lit(int32_t r, int32_t col, int32_t n, const uint8_t* px) {
    each_block_pixel(r, col, n, [&](int32_t i, uint16_t* d, int32_t tx, int32_t ty) {
      op.lit(d, load16(px + 2 * (i - col)), tx, ty);
    });
  }
};

// Block starts and sizes per source column (or row): trunc((i + 1) s) - trunc(i s), in single
// precision, the last one taking what is left to the total.
void blocks(int32_t n, int32_t total, int32_t* start, int32_t* size) {
  const float s = static_cast<float>(total) / static_cast<float>(n);
  for (int32_t i = 0; i < n; ++i) {
    start[i] = static_cast<int32_t>(static_cast<float>(i) * s);
    size[i] = static_cast<int32_t>(static_cast<float>(i + 1) * s) - start[i];
  }
  size[n - 1] = total - start[n - 1];
}

template <class Op>
void draw_scaled(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* img, BITMAP16* target, const Op& op) {
  // Boxes beyond the pixel cap would overflow the block positions.
  constexpr int32_t kMaxBox = BITMAP16_MAX_SIZE * 16;
  if (!img || !target || img->width == 0 || img->height == 0 || w <= 0 || h <= 0 || w > kMaxBox || h > kMaxBox)
    return;
  const Target t = of(target);
  if (static_cast<int64_t>(x) + w < 0 || static_cast<int64_t>(y) + h < 0 || x >= t.w || y >= t.h) return;
  const int32_t iw = static_cast<int32_t>(img->width), ih = static_cast<int32_t>(img->height);
  std::unique_ptr<int32_t[]> cs(new (std::nothrow) int32_t[iw]), cw(new (std::nothrow) int32_t[iw]);
  std::unique_ptr<int32_t[]> rs(new (std::nothrow) int32_t[ih]), rh(new (std::nothrow) int32_t[ih]);
  if (!cs || !cw || !rs || !rh) return;
  blocks(iw, w, cs.get(), cw.get());
  blocks(ih, h, rs.get(), rh.get());
  int32_t r0 = 0;
  while (r0 < ih && y + rs[r0] + rh[r0] <= 0) ++r0;
  int32_t r1 = r0;
  while (r1 < ih && y + rs[r1] < t.h) ++r1;
  ScaledPlacer<Op> placer{op, t, x, y, cs.get(), cw.get(), rs.get(), rh.get()};
  walk(img, r0, r1, placer);
}

struct OpScaledBlue : OpCombine {
  OpScaledBlue() { combine = pixel_ops.tint_blue; }
};

}  // namespace

void rle_draw(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) { draw_on(x, y, image, target, OpDraw{}); }
void rle_draw_clipped(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpDraw{}, Walk::Clipped);
}
void rle_draw_inside(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpDraw{}, Walk::Inside);
}

void rle_draw_to_pixels(int32_t x, int32_t y, const RLE_IMAGE* image, uint16_t* pixels, int32_t pitch, int32_t width,
                        int32_t height) {
  if (!pixels || width <= 0 || height <= 0) return;
  Target t;
  t.base = reinterpret_cast<uint8_t*>(pixels);
  t.pitch = pitch;
  t.w = width;
  t.h = height;
  draw(x, y, image, t, OpPixels{});
}

void rle_draw_min_alpha(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int minimum) {
  OpMinAlpha op;
  op.minimum = minimum;
  draw_on(x, y, image, target, op);
}

void rle_draw_in_rect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      const RLE_IMAGE* image, BITMAP16* target) {
  if (!image || !target) return;
  const Target t = of(target);
  if (outside(x, y, image, t)) return;
  draw_clipped(x, y, image, t, OpDraw{}, left, top, right, bottom);
}

void rle_draw_outline(int32_t x, int32_t y, uint16_t colour, const RLE_IMAGE* image, BITMAP16* target) {
  OpOutline op;
  op.colour = colour;
  draw_on(x, y, image, target, op);
}

void rle_draw_edge_level(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int level) {
  OpEdgeLevel op;
  op.level = level;
  draw_on(x, y, image, target, op);
}

void rle_draw_edges(int32_t x, int32_t y, uint16_t colour, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpEdges{colour});
}

void rle_draw_silhouette(int32_t x, int32_t y, uint16_t colour, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpSilhouette{colour});
}

void rle_draw_checker(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpChecker{});
}

void rle_draw_grey(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpGrey{});
}
void rle_draw_grey2(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpGrey{});
}

namespace {
void draw_grey_combine(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target,
                       void (*combine)(const uint16_t*, uint16_t*)) {
  OpGreyCombine op;
  op.combine = combine;
  draw_on(x, y, image, target, op);
}
void draw_combine(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target,
                  void (*combine)(const uint16_t*, uint16_t*)) {
  OpCombine op;
  op.combine = combine;
  draw_on(x, y, image, target, op);
}
}  // namespace

void rle_draw_grey_sub(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_grey_combine(x, y, image, target, pixel_ops.sub);
}
void rle_draw_grey_min(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_grey_combine(x, y, image, target, pixel_ops.min);
}
void rle_draw_grey_max(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_grey_combine(x, y, image, target, pixel_ops.max);
}
void rle_draw_mix(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_combine(x, y, image, target, pixel_ops.mix);
}
void rle_draw_red(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_combine(x, y, image, target, pixel_ops.tint_red);
}
void rle_draw_green(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_combine(x, y, image, target, pixel_ops.tint_green);
}
void rle_draw_blue(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_combine(x, y, image, target, pixel_ops.tint_blue);
}
void rle_draw_yellow(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_combine(x, y, image, target, pixel_ops.tint_yellow);
}

void rle_draw_blue_blend(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int level) {
  OpBlueBlend op;
  op.level = level;
  draw_on(x, y, image, target, op);
}

void rle_draw_additive(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpAdditive{});
}

void rle_draw2(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpDraw{});
}

void rle_draw_faded(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int level) {
  OpFaded op;
  op.level = level;
  draw_on(x, y, image, target, op);
}

void rle_draw_no_shadow(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpNoShadow{});
}

void rle_draw_glow(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target) {
  draw_on(x, y, image, target, OpGlow{});
}

void rle_draw_scaled(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* image, BITMAP16* target) {
  draw_scaled(x, y, w, h, image, target, OpDraw{});
}
void rle_draw_scaled_grey(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* image, BITMAP16* target) {
  draw_scaled(x, y, w, h, image, target, OpGrey{});
}
void rle_draw_scaled_blue(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* image, BITMAP16* target) {
  draw_scaled(x, y, w, h, image, target, OpScaledBlue{});
}

void rle_draw_none1(int32_t, int32_t, const RLE_IMAGE*, BITMAP16*) {}
void rle_draw_none2(int32_t, int32_t, const RLE_IMAGE*, BITMAP16*) {}
void rle_draw_none3(int32_t, int32_t, const RLE_IMAGE*, BITMAP16*) {}
void rle_draw_none4(int32_t, int32_t, const RLE_IMAGE*, BITMAP16*) {}
void rle_draw_none5(int32_t, int32_t, const RLE_IMAGE*, BITMAP16*) {}
float rle_draw_unit_scale() { return 1.0f; }
