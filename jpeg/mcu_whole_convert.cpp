// Whole, unclipped MCUs of the common three-component layouts written straight from the blocks
// with the in-place colour conversion: luma 1x1, 2x1 or 2x2 blocks at the output resolution,
// chroma one block each at the output resolution or at half of it in either direction.
#include "jpeg/internal.h"

namespace jcodec {

namespace {

using Kernel = void (*)(JPEG_PROPERTIES* st, int32_t x0, int32_t y0, const McuPart* parts, int32_t ri);

// N luma samples per block side, H x V luma blocks, chroma sampled every FX x FY pixels.
template <int N, int H, int V, int FX, int FY, int P>
void whole_mcu(JPEG_PROPERTIES* st, int32_t x0, int32_t y0, const McuPart* parts, int32_t ri) {
  constexpr int W = N * H, R = N * V;
  const int16_t* lum = parts[0].blocks;
  const int16_t* cbp = parts[1].blocks;
  const int16_t* crp = parts[2].blocks;
  // gather the MCU's samples into flat rows, convert them in one straight loop, then store
  alignas(16) int16_t ys[R * W], cbs[R * W], crs[R * W];
  for (int y = 0; y < R; ++y) {
    const int16_t* ly = lum + (y / N) * H * 64 + (y % N) * 8;
    const int16_t* cby = cbp + (y / FY) * 8;
    const int16_t* cry = crp + (y / FY) * 8;
    for (int x = 0; x < W; ++x) {
      // the low byte of each sample, as every writer takes it
      ys[y * W + x] = static_cast<int16_t>(ly[(x / N) * 64 + x % N] & 0xFF);
      cbs[y * W + x] = static_cast<int16_t>(cby[x / FX] & 0xFF);
      crs[y * W + x] = static_cast<int16_t>(cry[x / FX] & 0xFF);
    }
  }
  alignas(16) uint8_t rv[R * W], gv[R * W], bv[R * W];
  for (int i = 0; i < R * W; ++i) ycc_to_rgb(ys[i], cbs[i], crs[i], &rv[i], &gv[i], &bv[i]);
  for (int y = 0; y < R; ++y)
    store_rgb_row(pixel_at(st, x0, y0 + y), rv + y * W, gv + y * W, bv + y * W, W, ri, P, P == 4);
}

struct Layout {
  int32_t n, h, v, fx, fy;
  Kernel three, four;
};

#define JCODEC_WHOLE(N, H, V, FX, FY) \
  Layout { N, H, V, FX, FY, whole_mcu<N, H, V, FX, FY, 3>, whole_mcu<N, H, V, FX, FY, 4> }

// Scaled reads of 4:2:0 (chroma takes the next larger transform), 4:2:2 and 4:4:4 pictures,
// and the full-size layouts the fixed kernels leave to the general path.
constexpr Layout kLayouts[] = {
    JCODEC_WHOLE(4, 2, 2, 1, 1), JCODEC_WHOLE(2, 2, 2, 1, 1), JCODEC_WHOLE(1, 2, 2, 1, 1),
    JCODEC_WHOLE(4, 2, 1, 2, 1), JCODEC_WHOLE(2, 2, 1, 2, 1), JCODEC_WHOLE(1, 2, 1, 2, 1),
    JCODEC_WHOLE(8, 1, 1, 1, 1), JCODEC_WHOLE(4, 1, 1, 1, 1), JCODEC_WHOLE(2, 1, 1, 1, 1),
    JCODEC_WHOLE(1, 1, 1, 1, 1), JCODEC_WHOLE(8, 2, 2, 2, 2), JCODEC_WHOLE(8, 2, 1, 2, 1),
};

#undef JCODEC_WHOLE

// The part covers the MCU at (x0, y0) exactly as the general writer maps it: its samples are
// those of pixel (x, y) at ((x - x0) / fx, (y - y0) / fy) within its own blocks.
bool part_fits(const JPEG_PROPERTIES* st, const McuPart& part, int32_t hb, int32_t vb, int32_t n, int32_t fx,
               int32_t fy, int32_t x0, int32_t y0) {
  const JpegFrameComponent& fc = st->frame.comps[part.comp];
  return part.hb == hb && part.vb == vb && part.n == n && fc.n == n && int64_t(n) * fc.h * fx == st->mcu_w &&
         int64_t(n) * fc.v * fy == st->mcu_h &&
         int64_t(part.sx) * fx == x0 && int64_t(part.sy) * fy == y0;
}

}  // namespace

bool write_whole_converted(JPEG_PROPERTIES* st, const JpegRect& clip, int32_t x0, int32_t y0, int32_t w, int32_t h,
                           const McuPart* parts, int32_t nparts) {
  if (nparts != 3 || parts[0].comp != 0 || parts[1].comp != 1 || parts[2].comp != 2) return false;
  if (st->effective_color == JPEG_COLOR_GRAY || st->effective_color == JPEG_COLOR_YCC4) return false;
  if (clip.left != x0 || clip.top != y0 || int64_t(clip.right) != int64_t(x0) + w ||
      int64_t(clip.bottom) != int64_t(y0) + h || w != st->mcu_w || h != st->mcu_h)
    return false;
  const int32_t d = st->f.dib_color, p = st->pixel_bytes;
  const bool three = (d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR) && p == 3;
  const bool four = d == JPEG_COLOR_QUAD && p == 4;
  if (!three && !four) return false;
  for (const Layout& l : kLayouts) {
    if (!part_fits(st, parts[0], l.h, l.v, l.n, 1, 1, x0, y0)) continue;
    const int32_t nc = l.n * l.h / l.fx;
    if (!part_fits(st, parts[1], 1, 1, nc, l.fx, l.fy, x0, y0) ||
        !part_fits(st, parts[2], 1, 1, nc, l.fx, l.fy, x0, y0))
      return false;
    if (nc * l.fy != l.n * l.v) return false;
    (three ? l.three : l.four)(st, x0, y0, parts, d == JPEG_COLOR_BGR ? 2 : 0);
    return true;
  }
  return false;
}

}  // namespace jcodec
