// Decoder MCU output: clipping against the region and the DIB, and the fixed-layout kernels
// that turn one MCU of samples into pixels.
#include <algorithm>

#include "jpeg/internal.h"

namespace jcodec {

// ---- rectangles -----------------------------------------------------------------------------------

bool rect_empty(const JpegRect& r) { return r.right <= r.left || r.bottom <= r.top; }

void rect_intersect(JpegRect* out, const JpegRect& a, const JpegRect& b) {
  JpegRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
  *out = rect_empty(r) ? JpegRect{0, 0, 0, 0} : r;
}

bool rect_equal(const JpegRect& a, const JpegRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool rect_differ(const JpegRect& a, const JpegRect& b) { return !rect_equal(a, b); }

void rect_offset(JpegRect* out, const JpegRect& r, int32_t x, int32_t y) {
  if (rect_empty(r)) {
    *out = JpegRect{0, 0, 0, 0};
    return;
  }
  *out = JpegRect{r.left - x, r.top - y, r.right - x, r.bottom - y};
}

// Positions are kept as offsets and a pointer is formed only for a pixel that is written: an MCU
// that merely touches the region's left edge (x0 + width == left) is outside, not an empty clip
// with a pointer before the buffer.
int32_t roi_clip_mcu(const JPEG_PROPERTIES* st, int32_t w, int32_t h, int32_t col, int32_t row, uint8_t** first,
                     JpegRect* clip) {
  int64_t x0 = int64_t(col) * w, y0 = int64_t(row) * h;
  const JpegRect& v = st->visible;
  if (x0 >= v.right || x0 + w <= v.left || y0 >= v.bottom || y0 + h <= v.top) return JPEG_ERR_PROPS;
  JpegRect c{static_cast<int32_t>(std::max<int64_t>(0, v.left - x0)),
             static_cast<int32_t>(std::max<int64_t>(0, v.top - y0)),
             static_cast<int32_t>(std::min<int64_t>(w, v.right - x0)),
             static_cast<int32_t>(std::min<int64_t>(h, v.bottom - y0))};
  if (rect_empty(c)) return JPEG_ERR_PROPS;
  *clip = c;
  int64_t px = x0 + c.left - st->origin_x, py = y0 + c.top - st->origin_y;
  *first = st->dib_origin + static_cast<ptrdiff_t>(py) * st->dib_line_bytes +
           static_cast<ptrdiff_t>(px) * st->pixel_bytes;
  return 0;
}

// ---- fixed kernels --------------------------------------------------------------------------------

namespace {

enum class Fmt { Gray, Rgb, Bgr, Rgba, Copy3, Copy3To4, P422, Ycc4Quad, Copy4 };

template <Fmt F>
constexpr int kBpp = F == Fmt::Gray ? 1 : F == Fmt::P422 ? 2 : (F == Fmt::Rgb || F == Fmt::Bgr || F == Fmt::Copy3) ? 3 : 4;

inline uint8_t sat(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Chroma terms of the fixed kernels; each shifted term is a 16-bit value.
struct Terms {
  int32_t r, g, b;
};
inline Terms terms(int32_t cb, int32_t cr) {
  return Terms{static_cast<int16_t>((359 * cr - 45813) >> 8), static_cast<int16_t>((88 * cb + 183 * cr - 34806) >> 8),
               static_cast<int16_t>((454 * cb - 57937) >> 8)};
}

template <Fmt F>
inline void emit(uint8_t* o, int32_t y, const Terms& t, int32_t cb, int32_t cr, int32_t k, bool odd) {
  switch (F) {
    case Fmt::Gray: o[0] = sat(y); break;
    case Fmt::Rgb: o[0] = sat(y + t.r); o[1] = sat(y - t.g); o[2] = sat(y + t.b); break;
    case Fmt::Bgr: o[0] = sat(y + t.b); o[1] = sat(y - t.g); o[2] = sat(y + t.r); break;
    case Fmt::Rgba: o[0] = sat(y + t.r); o[1] = sat(y - t.g); o[2] = sat(y + t.b); o[3] = 255; break;
    case Fmt::Copy3: o[0] = uint8_t(y); o[1] = uint8_t(cb); o[2] = uint8_t(cr); break;
    case Fmt::Copy3To4: o[0] = uint8_t(y); o[1] = uint8_t(cb); o[2] = uint8_t(cr); o[3] = 255; break;
    case Fmt::P422: o[0] = uint8_t(y); o[1] = uint8_t(odd ? cr : cb); break;
    // YCbCr-and-fourth-channel pictures store their colour inverted, as the in-place pass does
    case Fmt::Ycc4Quad: o[0] = uint8_t(255 - sat(y + t.r)); o[1] = uint8_t(255 - sat(y - t.g)); o[2] = uint8_t(255 - sat(y + t.b)); o[3] = uint8_t(k); break;
    case Fmt::Copy4: o[0] = uint8_t(y); o[1] = uint8_t(cb); o[2] = uint8_t(cr); o[3] = uint8_t(k); break;
  }
}

constexpr bool converts(Fmt f) { return f == Fmt::Rgb || f == Fmt::Bgr || f == Fmt::Rgba || f == Fmt::Ycc4Quad; }

// Writes the pixels [x0, x1) x [y0, y1) of an MCU of HS x VS luma blocks; first is the pixel
// (x0, y0). The unclipped slot kernels are the full rectangle.
template <int HS, int VS, Fmt F>
void fixed_pixels(const int16_t* b, uint8_t* first, ptrdiff_t step, int x0, int y0, int x1, int y1) {
  const int16_t* cb = b + HS * VS * 64;
  const int16_t* cr = cb + 64;
  const int16_t* k4 = cb + 128;
  constexpr int bpp = kBpp<F>;
  for (int y = y0; y < y1; ++y) {
    uint8_t* o = first + (y - y0) * step;
    for (int x = x0; x < x1; ++x, o += bpp) {
      int li = (((y >> 3) * HS + (x >> 3)) << 6) + ((y & 7) << 3) + (x & 7);
      int ci = (y / VS) * 8 + x / HS;
      int32_t yy = b[li];
      int32_t u = F == Fmt::Gray ? 0 : cb[ci], v = F == Fmt::Gray ? 0 : cr[ci];
      Terms t = converts(F) ? terms(u, v) : Terms{0, 0, 0};
      emit<F>(o, yy, t, u, v, F == Fmt::Ycc4Quad || F == Fmt::Copy4 ? k4[li] : 0, (x & 1) != 0);
    }
  }
}

// Saturation by table: index = value + 384 for values in [-384, 639].
struct SatTable {
  uint8_t v[1280];
  SatTable() {
    for (int i = 0; i < 1280; ++i) v[i] = static_cast<uint8_t>(std::clamp(i - 384, 0, 255));
  }
};
const SatTable kSat;

// Full-MCU converting kernels: the chroma terms are computed once per chroma sample and added
// to the HS x VS luma samples it serves.
template <int HS, int VS, Fmt F>
void fixed_full(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  if constexpr (F == Fmt::Gray && HS == 1 && VS == 1) {
    // row by row so the compiler can pack eight samples at once
    for (int y = 0; y < 8; ++y) {
      const int16_t* __restrict s = b + y * 8;
      uint8_t* __restrict o = out + y * step;
      for (int x = 0; x < 8; ++x) o[x] = sat(s[x]);
    }
  } else if constexpr (F != Fmt::Rgb && F != Fmt::Bgr && F != Fmt::Rgba) {
    fixed_pixels<HS, VS, F>(b, out, step, 0, 0, 8 * HS, 8 * VS);
  } else {
    const int16_t* __restrict cb = b + HS * VS * 64;
    const int16_t* __restrict cr = cb + 64;
    constexpr int bpp = kBpp<F>;
    constexpr int ri = F == Fmt::Bgr ? 2 : 0, bi = F == Fmt::Bgr ? 0 : 2;
    // Samples are 0..255 (every transform saturates): term + 384 lies in [205, 562] and a
    // luma sample masked to 9 bits keeps any index inside the 1280-entry table.
    for (int cy = 0; cy < 8; ++cy) {
      const int ya = cy * VS, yb = cy * VS + VS - 1;
      const int16_t* __restrict ra = b + ((ya >> 3) * HS << 6) + ((ya & 7) << 3);
      const int16_t* __restrict rb = b + ((yb >> 3) * HS << 6) + ((yb & 7) << 3);
      uint8_t* __restrict oa = out + ya * step;
      uint8_t* __restrict ob = out + yb * step;
      for (int cx = 0; cx < 8; ++cx) {
        const int32_t u = cb[cy * 8 + cx] & 255, v = cr[cy * 8 + cx] & 255;
        const uint8_t* __restrict rp = kSat.v + 384 + static_cast<int16_t>((359 * v - 45813) >> 8);
        const uint8_t* __restrict gp = kSat.v + 384 - static_cast<int16_t>((88 * u + 183 * v - 34806) >> 8);
        const uint8_t* __restrict bp = kSat.v + 384 + static_cast<int16_t>((454 * u - 57937) >> 8);
        const int x0 = cx * HS;
        const int lo = ((x0 >> 3) << 6) + (x0 & 7);
        for (int dx = 0; dx < HS; ++dx) {
          const int32_t y0 = ra[lo + dx] & 0x1FF;
          uint8_t* __restrict o = oa + (x0 + dx) * bpp;
          o[ri] = rp[y0];
          o[1] = gp[y0];
          o[bi] = bp[y0];
          if constexpr (F == Fmt::Rgba) o[3] = 255;
          if constexpr (VS == 2) {
            const int32_t y1 = rb[lo + dx] & 0x1FF;
            uint8_t* __restrict q = ob + (x0 + dx) * bpp;
            q[ri] = rp[y1];
            q[1] = gp[y1];
            q[bi] = bp[y1];
            if constexpr (F == Fmt::Rgba) q[3] = 255;
          }
        }
      }
    }
  }
}

template <int HS, int VS, Fmt F>
void slot_kernel(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  fixed_full<HS, VS, F>(b, out, step);
}

// The routine shared by all fixed layouts: clip, then the slot kernel for a whole MCU or the
// clipped twin for an edge MCU.
template <int HS, int VS, Fmt F, JpegOutKernelFn JPEG_DISPATCH_TABLE::*Slot>
int32_t out_mcu_fixed(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  uint8_t* first = nullptr;
  JpegRect clip{};
  const int w = 8 * HS, h = 8 * VS;
  int32_t rc = roi_clip_mcu(st, w, h, col, row, &first, &clip);
  if (rc) return rc;
  if constexpr (F == Fmt::P422) {
    // pairs follow the DIB's own columns; an MCU that starts on an odd column takes the
    // general writer, which knows the pairing
    if ((int64_t(col) * w - st->origin_x) & 1) return out_mcu_generic(st, col, row);
  }
  if (clip.left == 0 && clip.top == 0 && clip.right == w && clip.bottom == h)
    (st->table->*Slot)(st->mcu_buf, first, st->dib_line_bytes);
  else
    fixed_pixels<HS, VS, F>(st->mcu_buf, first, st->dib_line_bytes, clip.left, clip.top, clip.right, clip.bottom);
  st->pixels_written = 1;
  return 0;
}

using T = JPEG_DISPATCH_TABLE;

}  // namespace

void install_output_kernels(JPEG_DISPATCH_TABLE* t) {
  t->gray_block_to_gray = slot_kernel<1, 1, Fmt::Gray>;
  t->ycc_to_rgb_block = slot_kernel<1, 1, Fmt::Rgb>;
  t->ycc_h2v1_to_rgb = slot_kernel<2, 1, Fmt::Rgb>;
  t->ycc_h2v2_to_rgb = slot_kernel<2, 2, Fmt::Rgb>;
  t->ycc_to_bgr_block = slot_kernel<1, 1, Fmt::Bgr>;
  t->ycc_h2v1_to_bgr = slot_kernel<2, 1, Fmt::Bgr>;
  t->ycc_h2v2_to_bgr = slot_kernel<2, 2, Fmt::Bgr>;
  t->ycc_to_rgba_block = slot_kernel<1, 1, Fmt::Rgba>;
  t->ycc_h2v1_to_rgba = slot_kernel<2, 1, Fmt::Rgba>;
  t->ycc_h2v2_to_rgba = slot_kernel<2, 2, Fmt::Rgba>;
  t->copy3_block = slot_kernel<1, 1, Fmt::Copy3>;
  t->copy3_h2v1 = slot_kernel<2, 1, Fmt::Copy3>;
  t->copy3_h2v2 = slot_kernel<2, 2, Fmt::Copy3>;
  t->copy3_to4_block = slot_kernel<1, 1, Fmt::Copy3To4>;
  t->ycc_h2v1_to_422 = slot_kernel<2, 1, Fmt::P422>;
  t->ycc4_to_quad_block = slot_kernel<1, 1, Fmt::Ycc4Quad>;
  t->ycc4_to_quad_h2v1 = slot_kernel<2, 1, Fmt::Ycc4Quad>;
  t->ycc4_to_quad_h2v2 = slot_kernel<2, 2, Fmt::Ycc4Quad>;
  t->copy4_block = slot_kernel<1, 1, Fmt::Copy4>;
}

int32_t out_mcu_gray(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  return out_mcu_fixed<1, 1, Fmt::Gray, &T::gray_block_to_gray>(st, col, row);
}

JpegMcuFn fixed_routine(int32_t code) {
  switch (code) {
    case 1: return out_mcu_fixed<1, 1, Fmt::Rgb, &T::ycc_to_rgb_block>;
    case 2: return out_mcu_fixed<1, 1, Fmt::Bgr, &T::ycc_to_bgr_block>;
    case 3: return out_mcu_fixed<2, 2, Fmt::Rgb, &T::ycc_h2v2_to_rgb>;
    case 4: return out_mcu_fixed<2, 2, Fmt::Bgr, &T::ycc_h2v2_to_bgr>;
    case 5: return out_mcu_fixed<2, 1, Fmt::Rgb, &T::ycc_h2v1_to_rgb>;
    case 6: return out_mcu_fixed<2, 1, Fmt::Bgr, &T::ycc_h2v1_to_bgr>;
    case 7: return out_mcu_fixed<1, 1, Fmt::Rgba, &T::ycc_to_rgba_block>;
    case 8: return out_mcu_fixed<2, 2, Fmt::Rgba, &T::ycc_h2v2_to_rgba>;
    case 9: return out_mcu_fixed<2, 1, Fmt::Rgba, &T::ycc_h2v1_to_rgba>;
    case 10: return out_mcu_fixed<1, 1, Fmt::Ycc4Quad, &T::ycc4_to_quad_block>;
    case 11: return out_mcu_fixed<2, 2, Fmt::Ycc4Quad, &T::ycc4_to_quad_h2v2>;
    case 12: return out_mcu_fixed<2, 1, Fmt::Ycc4Quad, &T::ycc4_to_quad_h2v1>;
    case 13: return out_mcu_fixed<1, 1, Fmt::Copy3To4, &T::copy3_to4_block>;
    case 14: return out_mcu_fixed<1, 1, Fmt::Copy4, &T::copy4_block>;
    case 15: return out_mcu_fixed<1, 1, Fmt::Copy3, &T::copy3_block>;
    case 16: return out_mcu_fixed<2, 2, Fmt::Copy3, &T::copy3_h2v2>;
    case 17: return out_mcu_fixed<2, 1, Fmt::Copy3, &T::copy3_h2v1>;
    case 19: return out_mcu_fixed<2, 1, Fmt::P422, &T::ycc_h2v1_to_422>;
    default: return nullptr;
  }
}

}  // namespace jcodec
