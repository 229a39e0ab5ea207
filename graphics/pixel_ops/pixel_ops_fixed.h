// The four fixed families (555, 655, 565, 556) as one template over their constants.
#pragma once
#include <cstdint>

#include "graphics/pixel_ops/pixel_ops.h"

namespace pixel_rows {

// Constants of a fixed family: field masks, the shifts of rows 1 and 2, the shifts of rows 3-9,
// the masks of the unpacked colour, the low spread mask of rows 13 and 20 and the half mask.
struct FixedConstants {
  uint32_t r, g, b;           // field masks
  int pack_r, pack_g, pack_b; // row 1: c >> n; row 2: p << n
  uint32_t un_r, un_g, un_b;  // row 2 masks
  int get_r, get_g, get_b;    // rows 3-9: red >> n, green >> n, blue << n (and the reverse)
  uint32_t spread_low;        // rows 13 and 20: kept in place; the green field goes up 16 bits
  uint32_t half;              // row 19
  bool is_555;
};

inline constexpr FixedConstants kConst555{0x7C00, 0x03E0, 0x001F, 9, 6, 3, 0xF80000, 0xF800, 0xF8,
                                          7,      2,      3,      0xFC1F, 0x7BDE, true};
inline constexpr FixedConstants kConst655{0xFC00, 0x03E0, 0x001F, 8, 6, 3, 0xFC0000, 0xF800, 0xF8,
                                          8,      2,      3,      0xFC1F, 0xFBDE, false};
inline constexpr FixedConstants kConst565{0xF800, 0x07E0, 0x001F, 8, 5, 3, 0xF80000, 0xFC00, 0xF8,
                                          8,      3,      3,      0xF81F, 0xF7DE, false};
inline constexpr FixedConstants kConst556{0xF800, 0x07C0, 0x003F, 8, 5, 2, 0xF80000, 0xF800, 0xFC,
                                          8,      3,      2,      0xF83F, 0xF7BE, false};

template <const FixedConstants& K>
struct Fixed {
  static uint16_t pack_rgb(uint32_t c) {
    return static_cast<uint16_t>(((c >> K.pack_r) & K.r) | ((c >> K.pack_g) & K.g) | ((c >> K.pack_b) & K.b));
  }
  static uint32_t unpack_rgb(uint16_t p) {
    const uint32_t x = p;
    return ((x << K.pack_r) & K.un_r) | ((x << K.pack_g) & K.un_g) | ((x << K.pack_b) & K.un_b);
  }
  static int get_red(uint16_t p) { return static_cast<int>((p & K.r) >> K.get_r); }
  static int get_green(uint16_t p) { return static_cast<int>((p & K.g) >> K.get_g); }
  static int get_blue(uint16_t p) { return static_cast<int>((p & K.b) << K.get_b); }
  static uint16_t red_field(int r) { return static_cast<uint16_t>((static_cast<uint32_t>(r) << K.get_r) & K.r); }
  static uint16_t green_field(int g) { return static_cast<uint16_t>((static_cast<uint32_t>(g) << K.get_g) & K.g); }
  // Not masked, as the family's constants have it: values above 255 spill into green.
  static uint16_t blue_field(int b) { return static_cast<uint16_t>(static_cast<uint32_t>(b) >> K.get_b); }
  static void set_red(uint16_t* p, int r) { *p = static_cast<uint16_t>((*p & ~K.r) | red_field(r)); }
  static void set_green(uint16_t* p, int g) { *p = static_cast<uint16_t>((*p & ~K.g) | green_field(g)); }
  static void set_blue(uint16_t* p, int b) { *p = static_cast<uint16_t>((*p & ~K.b) | blue_field(b)); }
  static uint16_t pack(int r, int g, int b) {
    return static_cast<uint16_t>(red_field(r) | green_field(g) | blue_field(b));
  }
  static void unpack(uint16_t p, int* r, int* g, int* b) {
    *r = get_red(p);
    *g = get_green(p);
    *b = get_blue(p);
  }
  static uint16_t to_555(uint16_t p);
  static uint16_t from_555(uint16_t p);

  static uint32_t spread(uint16_t p) { return ((p & K.g) << 16) | (p & K.spread_low); }
  static uint16_t fold(uint32_t x) { return static_cast<uint16_t>((x >> 16) | (x & 0xFFFF)); }
  static constexpr uint32_t kSpreadMask = (K.g << 16) | K.spread_low;

  // One multiplication for all three channels, in wrapping 32-bit arithmetic.
  static void blend(const uint16_t* src, uint16_t* dst, int level) {
    const uint32_t xs = spread(*src), xd = spread(*dst);
    const uint32_t a = static_cast<uint32_t>(level) >> 3;
    const uint32_t r = ((((xs - xd) * a) >> 5) + xd) & kSpreadMask;
    *dst = fold(r);
  }
  static void scale(uint16_t* p, int n) {
    const uint32_t r = ((spread(*p) * static_cast<uint32_t>(n)) >> 5) & kSpreadMask;
    *p = fold(r);
  }
  static uint32_t capped(uint32_t s, uint32_t d, uint32_t m) {
    const uint32_t sum = (s & m) + (d & m);
    return sum > m ? m : sum;
  }
  static void add(const uint16_t* src, uint16_t* dst) {
    *dst = static_cast<uint16_t>(capped(*src, *dst, K.r) | capped(*src, *dst, K.g) | capped(*src, *dst, K.b));
  }
  static uint32_t minus(uint32_t s, uint32_t d, uint32_t m) { return (s & m) > (d & m) ? (s & m) - (d & m) : 0; }
  static void sub(const uint16_t* src, uint16_t* dst) {
    *dst = static_cast<uint16_t>(minus(*src, *dst, K.r) | minus(*src, *dst, K.g) | minus(*src, *dst, K.b));
  }
  static uint32_t lower(uint32_t s, uint32_t d, uint32_t m) { return (s & m) < (d & m) ? (s & m) : (d & m); }
  static uint32_t upper(uint32_t s, uint32_t d, uint32_t m) { return (s & m) > (d & m) ? (s & m) : (d & m); }
  static void min(const uint16_t* src, uint16_t* dst) {
    *dst = static_cast<uint16_t>(lower(*src, *dst, K.r) | lower(*src, *dst, K.g) | lower(*src, *dst, K.b));
  }
  static void max(const uint16_t* src, uint16_t* dst) {
    *dst = static_cast<uint16_t>(upper(*src, *dst, K.r) | upper(*src, *dst, K.g) | upper(*src, *dst, K.b));
  }
  // The half mask drops each channel's lowest bit so that the halves cannot carry.
  static void mix(const uint16_t* src, uint16_t* dst) {
    *dst = static_cast<uint16_t>(((*src & K.half) >> 1) + ((*dst & K.half) >> 1));
  }
};

using Fixed555 = Fixed<kConst555>;

template <const FixedConstants& K>
uint16_t Fixed<K>::to_555(uint16_t p) {
  if constexpr (K.is_555) {
    return p;
  } else {
    int r, g, b;
    unpack(p, &r, &g, &b);
    return Fixed555::pack(r, g, b);
  }
}

template <const FixedConstants& K>
uint16_t Fixed<K>::from_555(uint16_t p) {
  if constexpr (K.is_555) {
    return p;
  } else {
    int r, g, b;
    Fixed555::unpack(p, &r, &g, &b);
    return pack(r, g, b);
  }
}

}  // namespace pixel_rows
