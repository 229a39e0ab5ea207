// The encoder's MCU input: the choice of routine for a layout, the MCU position in the caller's
// buffer, the routines over the table's kernels and the general routines for everything else.
#include <algorithm>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

int32_t write_bpp(const JPEG_PROPERTIES* st) { return st->f.dib_subsampling == 2 ? 2 : st->f.dib_channels; }

// First byte of image row 0 (the last buffer row of a bottom-up buffer).
const uint8_t* write_origin(const JPEG_PROPERTIES* st) {
  const uint8_t* base = st->f.dib_bytes;
  if (st->f.dib_height < 0) base += static_cast<ptrdiff_t>(-st->f.dib_height - 1) * -st->dib_line_bytes;
  return base;
}

struct McuPos {
  const uint8_t* px;
  int32_t valid_w, valid_h;
  bool full;
};

// The MCU's first pixel and how much of it lies inside the image: the last column and row
// read only the image's own pixels.
McuPos mcu_position(const JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  const int32_t mw = 8 * st->frame.hmax, mh = 8 * st->frame.vmax;
  McuPos m;
  m.px = write_origin(st) + static_cast<ptrdiff_t>(row) * mh * st->dib_line_bytes +
         static_cast<ptrdiff_t>(col) * mw * write_bpp(st);
  m.valid_w = std::min(mw, st->f.jpg_width - col * mw);
  m.valid_h = std::min(mh, st->f.jpg_height - row * mh);
  m.full = m.valid_w == mw && m.valid_h == mh;
  return m;
}

template <JpegEncodeInFn JPEG_DISPATCH_TABLE::*Slot, EncodeKind Kind, int H, int V>
int32_t mcu_kernel(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  const McuPos m = mcu_position(st, col, row);
  if (m.full)
    (st->table->*Slot)(m.px, st->dib_line_bytes, st->mcu_buf);
  else
    encode_edge(Kind, H, V, m.px, st->dib_line_bytes, m.valid_w, m.valid_h, st->mcu_buf);
  return 0;
}

// What a general routine computes for one component.
struct Source {
  enum Type { Zero, Byte, Luma, Cb, Cr } type = Zero;
  int32_t byte = 0;  // Byte: which byte of the pixel
};

struct GeneralPlan {
  Source src[256];
  int32_t red = 0;      // byte of red for the converting formulas (blue at 2 - red)
  bool invert = false;  // four-channel buffers: the three bytes inverted
  bool ok = false;
};

// The sources for the state's layout, or ok = false when no general routine serves it.
GeneralPlan general_plan(const JPEG_PROPERTIES* st) {
  GeneralPlan g;
  const int32_t nc = st->frame.ncomp, d = st->f.dib_color, j = st->f.jpg_color;
  const int32_t bytes = st->f.dib_subsampling == 2 ? 3 : st->f.dib_channels;
  if (nc < 1 || nc > 255) return g;
  if (st->conversion) {
    const bool rgb_like = d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR || d == JPEG_COLOR_QUAD;
    g.red = d == JPEG_COLOR_BGR ? 2 : 0;
    g.invert = d == JPEG_COLOR_QUAD;
    if (nc == 1) {
      // grey from colour: the luma of R,G,B and B,G,R buffers, byte 0 of anything else
      g.src[0] = (d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR) ? Source{Source::Luma, 0} : Source{Source::Byte, 0};
      g.invert = false;
      g.ok = true;
      return g;
    }
    if (nc < 3 || !rgb_like || bytes < 3) return g;
    g.src[0] = {Source::Luma, 0};
    g.src[1] = {Source::Cb, 0};
    g.src[2] = {Source::Cr, 0};
    for (int32_t i = 3; i < nc; ++i) g.src[i] = i < bytes ? Source{Source::Byte, i} : Source{};
    g.ok = true;
    return g;
  }
  for (int32_t i = 0; i < nc; ++i) {
    int32_t b = i;
    if (d == JPEG_COLOR_BGR && j == JPEG_COLOR_RGB && i < 3) b = 2 - i;
    // a grey buffer written as YCbCr has neutral chroma
    g.src[i] = b < bytes ? Source{Source::Byte, b} : Source{};
  }
  g.ok = true;
  return g;
}

// Byte k of image pixel (x, y); the two-byte 4:2:2 buffer gives its pair's Cb and Cr as bytes
// 1 and 2 (neutral where the pair has no Cr).
inline int32_t pixel_byte(const JPEG_PROPERTIES* st, const uint8_t* origin, int32_t bpp, int32_t x, int32_t y,
                          int32_t k) {
  const uint8_t* row = origin + static_cast<ptrdiff_t>(y) * st->dib_line_bytes;
  if (st->f.dib_subsampling != 2) return row[static_cast<ptrdiff_t>(x) * bpp + k];
  const int32_t pair = x & ~1;
  if (k == 0) return row[2 * x];
  if (k == 1) return row[2 * pair + 1];
  return pair + 1 < st->f.jpg_width ? row[2 * pair + 3] : 128;
}

}  // namespace

int32_t encode_mcu_refused(JPEG_PROPERTIES*, int32_t, int32_t) { return JPEG_ERR_PROPS; }

int32_t encode_mcu_general(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  const GeneralPlan plan = general_plan(st);
  if (!plan.ok) return JPEG_ERR_PROPS;
  const JpegFrame& fr = st->frame;
  const uint8_t* origin = write_origin(st);
  const int32_t bpp = write_bpp(st);
  const int32_t x0 = col * 8 * fr.hmax, y0 = row * 8 * fr.vmax;
  const int32_t last_x = st->f.jpg_width - 1, last_y = st->f.jpg_height - 1;
  int16_t* out = st->mcu_buf;
  for (int32_t c = 0; c < fr.ncomp; ++c) {
    const JpegFrameComponent& fc = fr.comps[c];
    const int32_t gw = std::max(1, fr.hmax / fc.h), gh = std::max(1, fr.vmax / fc.v);
    const int32_t n = gw * gh;
    const Source s = plan.src[c];
    for (int32_t by = 0; by < fc.v; ++by)
      for (int32_t bx = 0; bx < fc.h; ++bx, out += 64)
        for (int32_t sy = 0; sy < 8; ++sy)
          for (int32_t sx = 0; sx < 8; ++sx) {
            if (s.type == Source::Zero) {
              out[sy * 8 + sx] = 0;
              continue;
            }
            // the pixel group, its pixels outside the image repeating the last column and row
            const int32_t px0 = x0 + (bx * 8 + sx) * gw, py0 = y0 + (by * 8 + sy) * gh;
            int32_t sum[3] = {0, 0, 0};
            const int32_t need = s.type == Source::Byte ? 1 : 3;
            for (int32_t dy = 0; dy < gh; ++dy) {
              const int32_t y = std::min(py0 + dy, last_y);
              for (int32_t dx = 0; dx < gw; ++dx) {
                const int32_t x = std::min(px0 + dx, last_x);
                if (need == 1) {
                  sum[0] += pixel_byte(st, origin, bpp, x, y, s.byte);
                } else {
                  for (int32_t k = 0; k < 3; ++k) sum[k] += pixel_byte(st, origin, bpp, x, y, k);
                }
              }
            }
            int32_t avg[3];
            for (int32_t k = 0; k < need; ++k) avg[k] = (sum[k] + n / 2) / n;
            int32_t value;
            if (s.type == Source::Byte) {
              value = avg[0] - 128;
            } else {
              int32_t r = avg[plan.red], g = avg[1], b = avg[2 - plan.red];
              if (plan.invert) {
                r = 255 - r;
                g = 255 - g;
                b = 255 - b;
              }
              if (s.type == Source::Luma) value = (77 * r + 150 * g + 29 * b - 32640) >> 8;
              else if (s.type == Source::Cb) value = (128 * b - 43 * r - 85 * g + 128) >> 8;
              else value = (128 * r - 107 * g - 21 * b + 128) >> 8;
            }
            out[sy * 8 + sx] = static_cast<int16_t>(value);
          }
  }
  return 0;
}

int32_t select_encode_mcu(JPEG_PROPERTIES* st) {
  const JpegFrame& fr = st->frame;
  const int32_t nc = fr.ncomp, ch = st->f.dib_channels, d = st->f.dib_color, j = st->f.jpg_color;
  const bool conv = st->conversion != 0, up = st->upsample != 0;
  if (conv && up && (nc < 1 || nc > 255)) return JPEG_ERR_COMP;
  st->fast_path_code = 0;
  st->table->encode_mcu_current = encode_mcu_refused;
  // one component per scan cannot be written by the single-scan writer
  if (st->interleave == 1) return 0;
  auto sampled = [&](int32_t h, int32_t v) {
    if (nc != 3 && nc != 4) return false;
    const JpegFrameComponent* c = fr.comps;
    if (c[0].h != h || c[0].v != v || c[1].h != 1 || c[1].v != 1 || c[2].h != 1 || c[2].v != 1) return false;
    return nc == 3 || (c[3].h == h && c[3].v == v);
  };
  const bool h2v2 = sampled(2, 2), h2v1 = sampled(2, 1);
  int32_t code = -1;
  JpegMcuFn fn = nullptr;
  using T = JPEG_DISPATCH_TABLE;
  using K = EncodeKind;
  if (conv && up) {
    if (nc == 3 && ch == 3 && d == JPEG_COLOR_RGB && h2v2) code = 3, fn = mcu_kernel<&T::rgb_to_ycc_h2v2, K::Rgb, 2, 2>;
    else if (nc == 3 && ch == 3 && d == JPEG_COLOR_RGB && h2v1) code = 5, fn = mcu_kernel<&T::rgb_to_ycc_h2v1, K::Rgb, 2, 1>;
    else if (nc == 3 && ch == 3 && d == JPEG_COLOR_BGR && h2v2) code = 4, fn = mcu_kernel<&T::bgr_to_ycc_h2v2, K::Bgr, 2, 2>;
    else if (nc == 3 && ch == 3 && d == JPEG_COLOR_BGR && h2v1) code = 6, fn = mcu_kernel<&T::bgr_to_ycc_h2v1, K::Bgr, 2, 1>;
    else if (nc == 3 && ch == 4 && d == JPEG_COLOR_RGB && (h2v2 || h2v1)) code = 0, fn = encode_mcu_general;
    else if (nc == 4 && d == JPEG_COLOR_QUAD && ch == 4 && h2v2) code = 11, fn = mcu_kernel<&T::quad_to_ycc4_h2v2, K::Quad, 2, 2>;
    else if (nc == 4 && d == JPEG_COLOR_QUAD && ch == 4 && h2v1) code = 12, fn = mcu_kernel<&T::quad_to_ycc4_h2v1, K::Quad, 2, 1>;
  } else if (conv) {
    if (nc == 3 && ch == 3 && d == JPEG_COLOR_RGB) code = 1, fn = mcu_kernel<&T::rgb_to_ycc_block, K::Rgb, 1, 1>;
    else if (nc == 3 && ch == 3 && d == JPEG_COLOR_BGR) code = 2, fn = mcu_kernel<&T::bgr_to_ycc_block, K::Bgr, 1, 1>;
    else if (nc == 1 && ch == 3) code = 0, fn = encode_mcu_general;
    else if (nc == 3 && ch == 4) code = 0, fn = encode_mcu_general;
    else if (nc == 4 && ch == 4 && d == JPEG_COLOR_QUAD) code = 10, fn = mcu_kernel<&T::quad_to_ycc4_block, K::Quad, 1, 1>;
  } else if (up) {
    // the two-byte 4:2:2 buffer is what it is whatever dib_channels says
    if (nc == 3 && st->f.dib_subsampling == 2 && h2v1) code = 18, fn = mcu_kernel<&T::ycc422_split, K::Ycc422, 2, 1>;
    else if (nc == 3 && ch == 3 && d != JPEG_COLOR_BGR && h2v2) code = 16, fn = mcu_kernel<&T::ycc_downsample_h2v2, K::Ycc, 2, 2>;
    else if (nc == 3 && ch == 3 && d != JPEG_COLOR_BGR && h2v1) code = 17, fn = mcu_kernel<&T::ycc_downsample_h2v1, K::Ycc, 2, 1>;
    else code = 0, fn = encode_mcu_general;
  } else {
    if (nc == 1 && d == JPEG_COLOR_GRAY && j == JPEG_COLOR_GRAY) code = 20, fn = mcu_kernel<&T::gray_to_block, K::Gray, 1, 1>;
    else if (nc == 3 && ch == 3 && d != JPEG_COLOR_BGR) code = 15, fn = mcu_kernel<&T::ycc_split_block, K::Ycc, 1, 1>;
    else if (nc == 4 && ch == 4) code = 14, fn = mcu_kernel<&T::split4_block, K::Split4, 1, 1>;
    else if ((nc == 3 && ch == 1 && j == JPEG_COLOR_YCBCR) || (nc == 3 && ch == 3 && d == JPEG_COLOR_BGR) ||
             (nc == 3 && ch == 4) || (d == JPEG_COLOR_OTHER && j == JPEG_COLOR_OTHER))
      code = 0, fn = encode_mcu_general;
  }
  // a layout no row names still gets the general routine when it can serve it
  if (!fn && general_plan(st).ok) code = 0, fn = encode_mcu_general;
  if (!fn) return 0;
  st->fast_path_code = code;
  st->table->encode_mcu_current = fn;
  return 0;
}

}  // namespace jcodec
