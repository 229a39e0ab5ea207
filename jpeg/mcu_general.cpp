// The general output path: any sampling, any scale, any component-to-byte layout; the in-place
// colour passes; and smooth (triangle-filter) up-sampling from whole component planes.
#include <algorithm>
#include <cstring>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

// log2 of a block side (8, 4, 2 or 1): sample indexes are split by shifts, not divisions.
inline int32_t side_shift(int32_t n) { return n == 8 ? 3 : n == 4 ? 2 : n == 2 ? 1 : 0; }

// Where component c's sample goes in a pixel.
struct ByteMap {
  int32_t first, count;  // bytes [first, first + count) get the sample
  int32_t parity;        // -1 every pixel, 0 even DIB columns, 1 odd ones
  int32_t fill255;       // byte that gets 255 with this component, or -1
};

ByteMap byte_map(const JPEG_PROPERTIES* st, int32_t c) {
  const int32_t j = st->effective_color, d = st->f.dib_color, p = st->pixel_bytes;
  ByteMap m{0, 0, -1, -1};
  if (d == JPEG_COLOR_YCBCR) {
    if (c == 0) m = {0, 1, -1, -1};
    else if (c == 1) m = {1, 1, 0, -1};
    else if (c == 2) m = {1, 1, 1, -1};
    return m;
  }
  if (j == JPEG_COLOR_GRAY) {
    if (c != 0) return m;
    m.count = std::min(p, 3);
    if (p >= 4) m.fill255 = 3;
    return m;
  }
  if (j == JPEG_COLOR_RGB && d == JPEG_COLOR_BGR && c <= 2) {
    if (2 - c < p) m = {2 - c, 1, -1, -1};
    return m;
  }
  bool quad_of_three = d == JPEG_COLOR_QUAD && p >= 4 &&
                       (j == JPEG_COLOR_RGB || j == JPEG_COLOR_YCBCR || st->frame.ncomp <= 3);
  if (quad_of_three && c >= 3) return m;
  if (c < p) m = {c, 1, -1, -1};
  if (quad_of_three && c == 0) m.fill255 = 3;
  return m;
}

// Column offsets of a part's samples for the columns [x0, x0 + count): -1 outside the part.
void column_offsets(const JPEG_PROPERTIES* st, const McuPart& part, int32_t x0, int32_t count, int32_t* out) {
  const JpegFrameComponent& fc = st->frame.comps[part.comp];
  const int64_t sw = int64_t(fc.n) * fc.h;
  const int32_t n = part.n, lim = part.hb * n, sh = side_shift(n);
  for (int32_t k = 0; k < count; ++k) {
    int64_t gx = sw == st->mcu_w       ? int64_t(x0 + k)
                 : 2 * sw == st->mcu_w ? int64_t((x0 + k) >> 1)
                                       : int64_t(x0 + k) * sw / st->mcu_w;
    gx -= part.sx;
    out[k] = (gx < 0 || gx >= lim) ? -1 : static_cast<int32_t>(((gx >> sh) << 6) + (gx & (n - 1)));
  }
}

// Row start of a part's samples for row y, or null outside the part.
const int16_t* row_samples(const JPEG_PROPERTIES* st, const McuPart& part, int32_t y) {
  const JpegFrameComponent& fc = st->frame.comps[part.comp];
  const int64_t sh = int64_t(fc.n) * fc.v;
  int64_t gy = (sh == st->mcu_h ? int64_t(y) : int64_t(y) * sh / st->mcu_h) - part.sy;
  if (gy < 0 || gy >= part.vb * part.n) return nullptr;
  return part.blocks + (gy >> side_shift(part.n)) * part.hb * 64 + (gy & (part.n - 1)) * 8;
}

// Y, Cb, Cr into R,G,B / B,G,R (/ R,G,B,255) in one pass, with the arithmetic of the in-place
// conversion. False when the layout is not one it covers.
bool write_converted(JPEG_PROPERTIES* st, const JpegRect& clip, const McuPart* parts, int32_t nparts) {
  const int32_t d = st->f.dib_color, p = st->pixel_bytes;
  if (nparts != 3 || parts[0].comp != 0 || parts[1].comp != 1 || parts[2].comp != 2) return false;
  if (st->effective_color == JPEG_COLOR_GRAY || st->effective_color == JPEG_COLOR_YCC4) return false;
  const bool quad = d == JPEG_COLOR_QUAD && p >= 4;
  if (!((d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR) && p >= 3) && !quad) return false;
  const int32_t cw = clip.right - clip.left;
  if (cw > 256) return false;
  int32_t c0[256], c1[256], c2[256];
  column_offsets(st, parts[0], clip.left, cw, c0);
  column_offsets(st, parts[1], clip.left, cw, c1);
  column_offsets(st, parts[2], clip.left, cw, c2);
  for (int32_t k = 0; k < cw; ++k)
    if (c0[k] < 0 || c1[k] < 0 || c2[k] < 0) return false;
  const int ri = d == JPEG_COLOR_BGR ? 2 : 0;
  const int32_t ch = clip.bottom - clip.top;
  if (ch > 64) return false;
  const int16_t* rows[3][64];
  for (int32_t y = 0; y < ch; ++y)
    for (int32_t i = 0; i < 3; ++i)
      if (!(rows[i][y] = row_samples(st, parts[i], clip.top + y))) return false;  // nothing written yet
  // Gather the samples of a few rows into flat arrays, convert them in straight loops (which the
  // vectoriser takes), then store the pixels.
  constexpr int32_t kBatch = 1024;
  alignas(16) uint8_t ys[kBatch], cbs[kBatch], crs[kBatch], rs[kBatch], gs[kBatch], bs[kBatch];
  const int32_t rows_per = kBatch / cw;  // cw <= 256
  for (int32_t y0 = 0; y0 < ch; y0 += rows_per) {
    const int32_t y1 = std::min(ch, y0 + rows_per);
    int32_t m = 0;
    for (int32_t y = y0; y < y1; ++y) {
      const int16_t* s0 = rows[0][y];
      const int16_t* s1 = rows[1][y];
      const int16_t* s2 = rows[2][y];
      for (int32_t k = 0; k < cw; ++k, ++m) {
        ys[m] = static_cast<uint8_t>(s0[c0[k]]);
        cbs[m] = static_cast<uint8_t>(s1[c1[k]]);
        crs[m] = static_cast<uint8_t>(s2[c2[k]]);
      }
    }
    for (int32_t i = 0; i < m; ++i) {
      ycc_to_rgb(ys[i], cbs[i], crs[i], &rs[i], &gs[i], &bs[i]);
    }
    for (int32_t y = y0, m = 0; y < y1; ++y, m += cw)
      store_rgb_row(pixel_at(st, clip.left, clip.top + y), rs + m, gs + m, bs + m, cw, ri, p, quad);
  }
  return true;
}

// One component at the MCU's own resolution (a grey picture block by block): samples map one
// to one onto pixels, so no column table is needed. False when the layout is not that.
bool write_single_full(JPEG_PROPERTIES* st, const JpegRect& clip, const McuPart& part) {
  const JpegFrameComponent& fc = st->frame.comps[part.comp];
  if (part.n != 8 || int64_t(fc.n) * fc.h != st->mcu_w || int64_t(fc.n) * fc.v != st->mcu_h) return false;
  if (int64_t(clip.left) - part.sx < 0 || int64_t(clip.right) - part.sx > int64_t(part.hb) * 8 ||
      int64_t(clip.top) - part.sy < 0 || int64_t(clip.bottom) - part.sy > int64_t(part.vb) * 8)
    return false;
  const ByteMap m = byte_map(st, part.comp);
  if (m.parity >= 0 || m.count == 0) return false;
  const int32_t pb = st->pixel_bytes;
  const int32_t gx0 = clip.left - part.sx, gx1 = clip.right - part.sx;
  for (int32_t y = clip.top; y < clip.bottom; ++y) {
    const int32_t gy = y - part.sy;
    const int16_t* srow = part.blocks + (gy >> 3) * part.hb * 64 + (gy & 7) * 8;
    uint8_t* __restrict o = pixel_at(st, clip.left, y);
    if (m.count == 3 && m.first == 0 && m.fill255 < 0 && pb == 3) {
      // four-byte stores, each overlapping the next pixel; the row's last pixel by bytes
      for (int32_t gx = gx0; gx < gx1 - 1; ++gx, o += 3) {
        const uint32_t v = static_cast<uint8_t>(srow[((gx >> 3) << 6) + (gx & 7)]) * 0x01010101u;
        std::memcpy(o, &v, sizeof v);
      }
      const uint8_t v = static_cast<uint8_t>(srow[(((gx1 - 1) >> 3) << 6) + ((gx1 - 1) & 7)]);
      o[0] = v, o[1] = v, o[2] = v;
      continue;
    }
    for (int32_t gx = gx0; gx < gx1; ++gx, o += pb) {
      const uint8_t v = static_cast<uint8_t>(srow[((gx >> 3) << 6) + (gx & 7)]);
      for (int32_t b = 0; b < m.count; ++b) o[m.first + b] = v;
      if (m.fill255 >= 0) o[m.fill255] = 255;
    }
  }
  return true;
}

// One component's samples into its bytes of the clipped pixels, each sample repeated over the
// pixels it covers (the component's factor and the scale).
void write_component_samples(JPEG_PROPERTIES* st, const JpegRect& clip, const McuPart& part) {
  const int32_t cw = clip.right - clip.left;
  const JpegFrameComponent& fc = st->frame.comps[part.comp];
  ByteMap m = byte_map(st, part.comp);
  if (m.count == 0 && m.fill255 < 0) return;
  const int64_t sw = int64_t(fc.n) * fc.h, sh = int64_t(fc.n) * fc.v;
  const int32_t n = part.n, nsh = side_shift(n);
  const int32_t lim_x = part.hb * n, lim_y = part.vb * n;
  int32_t colofs[256];
  for (int32_t cx0 = 0; cx0 < cw; cx0 += 256) {
    const int32_t chunk = std::min(256, cw - cx0);
    // sample of each column: same resolution or half of it (the common cases) without a
    // division per column
    const int32_t xs = clip.left + cx0;
    for (int32_t k = 0; k < chunk; ++k) {
      int64_t gx = sw == st->mcu_w       ? int64_t(xs + k)
                   : 2 * sw == st->mcu_w ? int64_t((xs + k) >> 1)
                                         : int64_t(xs + k) * sw / st->mcu_w;
      gx -= part.sx;
      colofs[k] = (gx < 0 || gx >= lim_x) ? -1 : static_cast<int32_t>(((gx >> nsh) << 6) + (gx & (n - 1)));
    }
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
      int64_t gy = (sh == st->mcu_h ? int64_t(y) : int64_t(y) * sh / st->mcu_h) - part.sy;
      if (gy < 0 || gy >= lim_y) continue;
      const int16_t* srow = part.blocks + (gy >> nsh) * part.hb * 64 + (gy & (n - 1)) * 8;
      uint8_t* o = pixel_at(st, clip.left + cx0, y);
      const int32_t pb = st->pixel_bytes;
      if (m.count == 1 && m.parity < 0 && m.fill255 < 0) {
        uint8_t* __restrict q = o + m.first;
        for (int32_t k = 0; k < chunk; ++k, q += pb)
          if (colofs[k] >= 0) *q = static_cast<uint8_t>(srow[colofs[k]]);
        continue;
      }
      if (m.count == 3 && m.first == 0 && m.parity < 0) {  // grey fanned out
        uint8_t* __restrict q = o;
        for (int32_t k = 0; k < chunk; ++k, q += pb) {
          if (colofs[k] < 0) continue;
          const uint8_t v = static_cast<uint8_t>(srow[colofs[k]]);
          q[0] = v, q[1] = v, q[2] = v;
          if (m.fill255 >= 0) q[m.fill255] = 255;
        }
        continue;
      }
      for (int32_t k = 0; k < chunk; ++k, o += pb) {
        if (colofs[k] < 0) continue;
        if (m.parity >= 0 && ((clip.left + cx0 + k - st->origin_x) & 1) != m.parity) continue;
        uint8_t v = static_cast<uint8_t>(srow[colofs[k]]);
        for (int32_t b = 0; b < m.count; ++b) o[m.first + b] = v;
        if (m.fill255 >= 0) o[m.fill255] = 255;
      }
    }
  }
}

}  // namespace

int32_t write_mcu_general(JPEG_PROPERTIES* st, int32_t x0, int32_t y0, int32_t w, int32_t h, const McuPart* parts,
                          int32_t nparts, bool convert) {
  JpegRect clip{};
  rect_intersect(&clip, JpegRect{x0, y0, x0 + w, y0 + h}, st->visible);
  if (rect_empty(clip)) return JPEG_ERR_PROPS;
  if (!convert && nparts == 1 && write_single_full(st, clip, parts[0])) {
    st->pixels_written = 1;
    return 0;
  }
  if (convert && (write_whole_converted(st, clip, x0, y0, w, h, parts, nparts) ||
                  write_converted(st, clip, parts, nparts))) {
    st->pixels_written = 1;
    return 0;
  }
  for (int32_t i = 0; i < nparts; ++i) write_component_samples(st, clip, parts[i]);
  if (convert) convert_scaled_in_place(st, clip);
  st->pixels_written = 1;
  return 0;
}

// The in-place conversion of written YCbCr bytes (its green term differs from the fixed
// kernels' by the rounding of the shifted sum).
void convert_scaled_in_place(JPEG_PROPERTIES* st, const JpegRect& clip) {
  const int32_t d = st->f.dib_color, j = st->effective_color, p = st->pixel_bytes;
  if (p < 3 || (d != JPEG_COLOR_RGB && d != JPEG_COLOR_BGR && d != JPEG_COLOR_QUAD)) return;
  if (d == JPEG_COLOR_QUAD && p < 4) return;
  for (int32_t y = clip.top; y < clip.bottom; ++y) {
    uint8_t* o = pixel_at(st, clip.left, y);
    for (int32_t x = clip.left; x < clip.right; ++x, o += p) {
      uint8_t r, g, b;
      ycc_to_rgb(o[0], o[1], o[2], &r, &g, &b);
      if (d == JPEG_COLOR_BGR) {
        o[0] = b, o[1] = g, o[2] = r;
      } else if (d == JPEG_COLOR_RGB) {
        o[0] = r, o[1] = g, o[2] = b;
      } else if (j == JPEG_COLOR_YCC4) {
        o[0] = uint8_t(255 - r), o[1] = uint8_t(255 - g), o[2] = uint8_t(255 - b);
      } else {
        o[0] = r, o[1] = g, o[2] = b, o[3] = 255;
      }
    }
  }
}

void convert_dib_in_place(JPEG_PROPERTIES* st) {
  if (!st->conversion || rect_empty(st->visible) || !st->dib_origin) return;
  convert_scaled_in_place(st, st->visible);
}

// ---- smooth up-sampling -----------------------------------------------------------------------------

namespace {

// Plane of component c inside row_buffers: the padded MCU grid at the output scale (n samples
// per block side).
size_t plane_samples(const JPEG_PROPERTIES* st, int32_t c) {
  const JpegFrameComponent& f = st->frame.comps[c];
  return size_t(st->frame.mcus_across) * f.n * f.h * size_t(st->frame.mcu_rows) * f.n * f.v;
}

int16_t* plane_of(JPEG_PROPERTIES* st, int32_t c, int32_t* pw) {
  size_t off = 0;
  for (int32_t i = 0; i < c; ++i) off += plane_samples(st, i);
  *pw = st->frame.mcus_across * st->frame.comps[c].n * st->frame.comps[c].h;
  return st->row_buffers + off;
}

// The planes exist and were sized for the current scale (a read resumed in another mode
// must not index past them).
bool planes_fit(const JPEG_PROPERTIES* st) {
  return st->row_buffers && st->row_buffers_size == smooth_plane_samples(st);
}

}  // namespace

size_t smooth_plane_samples(const JPEG_PROPERTIES* st) {
  size_t total = 0;
  for (int32_t i = 0; i < st->frame.ncomp; ++i) total += plane_samples(st, i);
  return total;
}

// MCU routine while smooth up-sampling: keeps every component's samples for the final pass.
int32_t out_mcu_store_planes(JPEG_PROPERTIES* st, int32_t col, int32_t row) {
  if (!planes_fit(st)) return JPEG_ERR_PROPS;
  for (int32_t i = 0; i < st->nparts; ++i) {
    const McuPart& part = st->parts[i];
    if (part.comp >= 4) continue;
    int32_t pw = 0;
    int16_t* plane = plane_of(st, part.comp, &pw);
    const JpegFrameComponent& fc = st->frame.comps[part.comp];
    const int32_t n = part.n;  // block rows stay 8 entries apart whatever the scale
    for (int32_t by = 0; by < part.vb; ++by)
      for (int32_t bx = 0; bx < part.hb; ++bx) {
        const int16_t* blk = part.blocks + (by * part.hb + bx) * 64;
        int32_t px = (col * fc.h + bx) * n, py = (row * fc.v + by) * n;
        for (int32_t r = 0; r < n; ++r)
          std::memcpy(plane + size_t(py + r) * pw + px, blk + r * 8, size_t(n) * sizeof(int16_t));
      }
  }
  return 0;
}

// Writes the visible area from the planes (at the output scale): full-resolution components
// copied, half-resolution chroma (2x1 or 2x2) through the triangle filter, edges repeating the
// last real sample.
int32_t smooth_output(JPEG_PROPERTIES* st) {
  if (!planes_fit(st) || rect_empty(st->visible)) return 0;
  const JpegFrame& fr = st->frame;
  const int32_t ncomp = std::min(fr.ncomp, 4);
  const JpegRect& v = st->visible;
  for (int32_t c = 0; c < ncomp; ++c) {
    const JpegFrameComponent& fc = fr.comps[c];
    ByteMap m = byte_map(st, c);
    if (m.count == 0 && m.fill255 < 0) continue;
    int32_t pw = 0;
    const int16_t* plane = plane_of(st, c, &pw);
    // real extent of the component's samples at the output scale
    const int32_t cw = static_cast<int32_t>((int64_t(st->out_width) * fc.h + fr.hmax - 1) / fr.hmax);
    const int32_t ch = static_cast<int32_t>((int64_t(st->out_height) * fc.v + fr.vmax - 1) / fr.vmax);
    const int32_t fx = fr.hmax / fc.h, fy = fr.vmax / fc.v;
    auto sample = [&](int32_t sx, int32_t sy) -> int32_t {
      sx = std::clamp(sx, 0, cw - 1);
      sy = std::clamp(sy, 0, ch - 1);
      return plane[size_t(sy) * pw + sx];
    };
    for (int32_t y = v.top; y < v.bottom; ++y) {
      uint8_t* o = pixel_at(st, v.left, y);
      for (int32_t x = v.left; x < v.right; ++x, o += st->pixel_bytes) {
        if (m.parity >= 0 && ((x - st->origin_x) & 1) != m.parity) continue;
        int32_t val;
        if (fx == 2 && fy == 1) {
          int32_t cx = x / 2, cy = y;
          int32_t cc = sample(cx, cy);
          val = (x & 1) ? (3 * cc + sample(cx + 1, cy) + 2) >> 2 : (3 * cc + sample(cx - 1, cy) + 1) >> 2;
        } else if (fx == 2 && fy == 2) {
          int32_t cx = x / 2, cy = y / 2;
          int32_t ny = (y & 1) ? cy + 1 : cy - 1;
          auto colsum = [&](int32_t sx) { return 3 * sample(sx, cy) + sample(sx, ny); };
          int32_t here = colsum(cx);
          val = (x & 1) ? (3 * here + colsum(cx + 1) + 7) >> 4 : (3 * here + colsum(cx - 1) + 8) >> 4;
        } else {
          val = sample(x / fx, y / fy);
        }
        uint8_t b = static_cast<uint8_t>(val);
        for (int32_t k = 0; k < m.count; ++k) o[m.first + k] = b;
        if (m.fill255 >= 0) o[m.fill255] = 255;
      }
    }
  }
  if (st->routine_converts) convert_scaled_in_place(st, v);
  st->pixels_written = 1;
  return 0;
}

}  // namespace jcodec
