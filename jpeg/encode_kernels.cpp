// The encoder's per-MCU input kernels (table slots 25 to 39) and their edge twins: pixels of one
// MCU into level-shifted 8x8 blocks, converting colour and averaging chroma as the layout needs.
// Blocks follow the MCU layout: the first component's blocks row by row, then each other
// component's.
#include <algorithm>

#include "jpeg/internal.h"

namespace jcodec {

namespace {

inline int16_t luma(int32_t r, int32_t g, int32_t b) { return static_cast<int16_t>((77 * r + 150 * g + 29 * b - 32640) >> 8); }
// Chroma of one pixel (n = 1, shift 8) or of sums over two (shift 9) or four pixels (shift 10).
template <int Shift>
inline int16_t chroma_b(int32_t r, int32_t g, int32_t b) {
  return static_cast<int16_t>((128 * b - 43 * r - 85 * g + (1 << (Shift - 1))) >> Shift);
}
template <int Shift>
inline int16_t chroma_r(int32_t r, int32_t g, int32_t b) {
  return static_cast<int16_t>((128 * r - 107 * g - 21 * b + (1 << (Shift - 1))) >> Shift);
}

// R, G, B of a pixel of P bytes with red at byte Ri and blue at 2 - Ri; the four-channel
// kernels take the three bytes inverted.
template <int P, int Ri, bool Inv>
inline void rgb_of(const uint8_t* p, int32_t& r, int32_t& g, int32_t& b) {
  r = p[Ri];
  g = p[1];
  b = p[2 - Ri];
  if (Inv) {
    r = 255 - r;
    g = 255 - g;
    b = 255 - b;
  }
}

// Colour-converting kernels: H x V luma blocks, one Cb and one Cr block from pixel sums, and for
// the four-channel kernels the fourth byte as its own full-resolution component.
template <int P, int Ri, bool Inv, int H, int V>
void convert_mcu(const uint8_t* px, ptrdiff_t step, int16_t* blocks) {
  constexpr int kShift = H * V == 1 ? 8 : H * V == 2 ? 9 : 10;
  int16_t* cb = blocks + H * V * 64;
  int16_t* cr = cb + 64;
  int16_t* fourth = cr + 64;
  for (int cy = 0; cy < 8; ++cy) {
    for (int cx = 0; cx < 8; ++cx) {
      int32_t sr = 0, sg = 0, sb = 0;
      for (int dy = 0; dy < V; ++dy) {
        const int y = cy * V + dy;
        const uint8_t* row = px + y * step;
        for (int dx = 0; dx < H; ++dx) {
          const int x = cx * H + dx;
          int32_t r, g, b;
          rgb_of<P, Ri, Inv>(row + x * P, r, g, b);
          sr += r;
          sg += g;
          sb += b;
          const int at = ((y >> 3) * H + (x >> 3)) * 64 + (y & 7) * 8 + (x & 7);
          blocks[at] = luma(r, g, b);
          if (P == 4) fourth[at] = static_cast<int16_t>(row[x * P + 3] - 128);
        }
      }
      cb[cy * 8 + cx] = chroma_b<kShift>(sr, sg, sb);
      cr[cy * 8 + cx] = chroma_r<kShift>(sr, sg, sb);
    }
  }
}

// Copying kernels: P-byte pixels already in the stream's colours; bytes 1 and 2 averaged over
// H x V pixels ((sum + n / 2) >> log2 n) when sampled down.
template <int P, int H, int V>
void split_mcu(const uint8_t* px, ptrdiff_t step, int16_t* blocks) {
  constexpr int kShift = H * V == 1 ? 0 : H * V == 2 ? 1 : 2;
  int16_t* c1 = blocks + H * V * 64;
  int16_t* c2 = c1 + 64;
  int16_t* c3 = c2 + 64;
  for (int cy = 0; cy < 8; ++cy) {
    for (int cx = 0; cx < 8; ++cx) {
      int32_t s1 = 0, s2 = 0;
      for (int dy = 0; dy < V; ++dy) {
        const int y = cy * V + dy;
        const uint8_t* row = px + y * step;
        for (int dx = 0; dx < H; ++dx) {
          const int x = cx * H + dx;
          const uint8_t* p = row + x * P;
          const int at = ((y >> 3) * H + (x >> 3)) * 64 + (y & 7) * 8 + (x & 7);
          blocks[at] = static_cast<int16_t>(p[0] - 128);
          s1 += p[1];
          s2 += p[2];
          if (P == 4) c3[at] = static_cast<int16_t>(p[3] - 128);
        }
      }
      constexpr int32_t kRound = kShift ? 1 << (kShift - 1) : 0;
      c1[cy * 8 + cx] = static_cast<int16_t>(((s1 + kRound) >> kShift) - 128);
      c2[cy * 8 + cx] = static_cast<int16_t>(((s2 + kRound) >> kShift) - 128);
    }
  }
}

}  // namespace

void gray_to_block(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) b[y * 8 + x] = static_cast<int16_t>(px[y * step + x] - 128);
}
void rgb_to_ycc_block(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<3, 0, false, 1, 1>(px, step, b); }
void rgb_to_ycc_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<3, 0, false, 2, 1>(px, step, b); }
void rgb_to_ycc_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<3, 0, false, 2, 2>(px, step, b); }
void bgr_to_ycc_block(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<3, 2, false, 1, 1>(px, step, b); }
void bgr_to_ycc_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<3, 2, false, 2, 1>(px, step, b); }
void bgr_to_ycc_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<3, 2, false, 2, 2>(px, step, b); }
void ycc_split_block(const uint8_t* px, ptrdiff_t step, int16_t* b) { split_mcu<3, 1, 1>(px, step, b); }
void ycc_downsample_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b) { split_mcu<3, 2, 1>(px, step, b); }
void ycc_downsample_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b) { split_mcu<3, 2, 2>(px, step, b); }
void quad_to_ycc4_block(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<4, 0, true, 1, 1>(px, step, b); }
void quad_to_ycc4_h2v1(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<4, 0, true, 2, 1>(px, step, b); }
void quad_to_ycc4_h2v2(const uint8_t* px, ptrdiff_t step, int16_t* b) { convert_mcu<4, 0, true, 2, 2>(px, step, b); }
void split4_block(const uint8_t* px, ptrdiff_t step, int16_t* b) { split_mcu<4, 1, 1>(px, step, b); }

// Two-byte pixels Y0, Cb, Y1, Cr: 16 x 8 pixels into two luma blocks and one block each of the
// buffer's own Cb and Cr.
void ycc422_split(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  for (int y = 0; y < 8; ++y) {
    const uint8_t* row = px + y * step;
    for (int x = 0; x < 16; ++x) b[(x >> 3) * 64 + y * 8 + (x & 7)] = static_cast<int16_t>(row[2 * x] - 128);
    for (int k = 0; k < 8; ++k) {
      b[128 + y * 8 + k] = static_cast<int16_t>(row[4 * k + 1] - 128);
      b[192 + y * 8 + k] = static_cast<int16_t>(row[4 * k + 3] - 128);
    }
  }
}

// ---- edge twins ----------------------------------------------------------------------------------

namespace {

// One pixel into its full-resolution component values.
void edge_pixel(EncodeKind kind, const uint8_t* row, int32_t x, int32_t valid_w, int16_t out[4]) {
  int32_t r, g, b;
  const uint8_t* p;
  switch (kind) {
    case EncodeKind::Gray:
      out[0] = static_cast<int16_t>(row[x] - 128);
      break;
    case EncodeKind::Rgb:
    case EncodeKind::Bgr:
      p = row + x * 3;
      if (kind == EncodeKind::Rgb) rgb_of<3, 0, false>(p, r, g, b);
      else rgb_of<3, 2, false>(p, r, g, b);
      out[0] = luma(r, g, b);
      out[1] = chroma_b<8>(r, g, b);
      out[2] = chroma_r<8>(r, g, b);
      break;
    case EncodeKind::Quad:
      p = row + x * 4;
      rgb_of<4, 0, true>(p, r, g, b);
      out[0] = luma(r, g, b);
      out[1] = chroma_b<8>(r, g, b);
      out[2] = chroma_r<8>(r, g, b);
      out[3] = static_cast<int16_t>(p[3] - 128);
      break;
    case EncodeKind::Ycc:
    case EncodeKind::Split4:
      p = row + x * (kind == EncodeKind::Ycc ? 3 : 4);
      for (int c = 0; c < (kind == EncodeKind::Ycc ? 3 : 4); ++c) out[c] = static_cast<int16_t>(p[c] - 128);
      break;
    case EncodeKind::Ycc422: {
      // the pixel pair's Cb and Cr; a last even pixel without its partner has no Cr of its own
      const int32_t pair = x & ~1;
      out[0] = static_cast<int16_t>(row[2 * x] - 128);
      out[1] = static_cast<int16_t>(row[2 * pair + 1] - 128);
      out[2] = pair + 1 < valid_w ? static_cast<int16_t>(row[2 * pair + 3] - 128) : 0;
      break;
    }
  }
}

}  // namespace

void encode_edge(EncodeKind kind, int32_t h, int32_t v, const uint8_t* px, ptrdiff_t step, int32_t valid_w,
                 int32_t valid_h, int16_t* blocks) {
  alignas(32) int16_t plane[4][16 * 16];
  const int32_t w = 8 * h, hh = 8 * v;
  const int32_t planes = kind == EncodeKind::Gray ? 1 : (kind == EncodeKind::Quad || kind == EncodeKind::Split4) ? 4 : 3;
  valid_w = std::clamp(valid_w, 1, w);
  valid_h = std::clamp(valid_h, 1, hh);
  // the valid pixels converted one by one; short rows and missing rows repeat the last valid ones
  for (int32_t y = 0; y < hh; ++y) {
    if (y >= valid_h) {
      for (int32_t c = 0; c < planes; ++c) std::memcpy(plane[c] + y * w, plane[c] + (valid_h - 1) * w, w * sizeof(int16_t));
      continue;
    }
    const uint8_t* row = px + y * step;
    for (int32_t x = 0; x < w; ++x) {
      int16_t val[4];
      if (x < valid_w) {
        edge_pixel(kind, row, x, valid_w, val);
      } else {
        for (int32_t c = 0; c < planes; ++c) val[c] = plane[c][y * w + valid_w - 1];
      }
      for (int32_t c = 0; c < planes; ++c) plane[c][y * w + x] = val[c];
    }
  }
  // full-resolution components: the first, and the fourth of the four-channel kernels
  auto full = [&](const int16_t* src, int16_t* dst) {
    for (int32_t y = 0; y < hh; ++y)
      for (int32_t x = 0; x < w; ++x) dst[((y >> 3) * h + (x >> 3)) * 64 + (y & 7) * 8 + (x & 7)] = src[y * w + x];
  };
  full(plane[0], blocks);
  if (planes == 1) return;
  const int32_t n = h * v;
  if (kind == EncodeKind::Split4) {
    for (int32_t c = 1; c < 4; ++c) full(plane[c], blocks + c * 64);
    return;
  }
  const int32_t shift = n == 1 ? 0 : n == 2 ? 1 : 2;
  const int32_t round = shift ? 1 << (shift - 1) : 0;
  for (int32_t c = 1; c < 3; ++c) {
    int16_t* dst = blocks + (n + c - 1) * 64;
    for (int32_t cy = 0; cy < 8; ++cy)
      for (int32_t cx = 0; cx < 8; ++cx) {
        int32_t s = 0;
        for (int32_t dy = 0; dy < v; ++dy)
          for (int32_t dx = 0; dx < h; ++dx) s += plane[c][(cy * v + dy) * w + cx * h + dx];
        dst[cy * 8 + cx] = static_cast<int16_t>((s + round) >> shift);
      }
  }
  if (planes == 4) full(plane[3], blocks + (n + 2) * 64);
}

void install_encode_kernels(JPEG_DISPATCH_TABLE* t) {
  t->gray_to_block = gray_to_block;
  t->rgb_to_ycc_block = rgb_to_ycc_block;
  t->rgb_to_ycc_h2v1 = rgb_to_ycc_h2v1;
  t->rgb_to_ycc_h2v2 = rgb_to_ycc_h2v2;
  t->bgr_to_ycc_block = bgr_to_ycc_block;
  t->bgr_to_ycc_h2v1 = bgr_to_ycc_h2v1;
  t->bgr_to_ycc_h2v2 = bgr_to_ycc_h2v2;
  t->ycc_split_block = ycc_split_block;
  t->ycc_downsample_h2v1 = ycc_downsample_h2v1;
  t->ycc_downsample_h2v2 = ycc_downsample_h2v2;
  t->ycc422_split = ycc422_split;
  t->quad_to_ycc4_block = quad_to_ycc4_block;
  t->quad_to_ycc4_h2v1 = quad_to_ycc4_h2v1;
  t->quad_to_ycc4_h2v2 = quad_to_ycc4_h2v2;
  t->split4_block = split4_block;
}

}  // namespace jcodec
