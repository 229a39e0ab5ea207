// The mask-driven family: any screen layout, read from DRAW's channel description.
#pragma once
#include <cstdint>

#include "graphics/pixel_ops/pixel_ops.h"

namespace pixel_rows {

struct Masked {
  // v << n, or v >> -n for a channel wider than 8 bits.
  static uint32_t shift_left(uint32_t v, int n) { return n >= 0 ? v << n : v >> -n; }
  static uint32_t shift_right(uint32_t v, int n) { return n >= 0 ? v >> n : v << -n; }

  static int get(uint16_t p, const PIXEL_CHANNEL& c) {
    return static_cast<int>(shift_left(((p & c.mask) >> c.low) & 0xFF, c.pad));
  }
  static uint32_t field(int v, const PIXEL_CHANNEL& c) {
    return (shift_right(static_cast<uint32_t>(v), c.pad) << c.low) & c.mask;
  }
  static void set(uint16_t* p, int v, const PIXEL_CHANNEL& c) {
    *p = static_cast<uint16_t>((*p & ~c.mask) | field(v, c));
  }

  static int get_red(uint16_t p) { return get(p, pixel_channels.red); }
  static int get_green(uint16_t p) { return get(p, pixel_channels.green); }
  static int get_blue(uint16_t p) { return get(p, pixel_channels.blue); }
  static void set_red(uint16_t* p, int v) { set(p, v, pixel_channels.red); }
  static void set_green(uint16_t* p, int v) { set(p, v, pixel_channels.green); }
  static void set_blue(uint16_t* p, int v) { set(p, v, pixel_channels.blue); }
  static uint16_t pack(int r, int g, int b) {
    return static_cast<uint16_t>(field(r, pixel_channels.red) | field(g, pixel_channels.green) |
                                 field(b, pixel_channels.blue));
  }
  static void unpack(uint16_t p, int* r, int* g, int* b) {
    *r = get_red(p);
    *g = get_green(p);
    *b = get_blue(p);
  }
  static uint16_t pack_rgb(uint32_t c) {
    return pack(static_cast<int>((c >> 16) & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c & 0xFF));
  }
  static uint32_t unpack_rgb(uint16_t p) {
    int r, g, b;
    unpack(p, &r, &g, &b);
    return ((static_cast<uint32_t>(r) & 0xFF) << 16) | ((static_cast<uint32_t>(g) & 0xFF) << 8) |
           (static_cast<uint32_t>(b) & 0xFF);
  }
  static uint16_t to_555(uint16_t p);
  static uint16_t from_555(uint16_t p);

  // The full level and a truncating division, unlike the fixed families' level >> 3.
  static void blend(const uint16_t* src, uint16_t* dst, int level) {
    int r1, g1, b1, r2, g2, b2;
    unpack(*src, &r1, &g1, &b1);
    unpack(*dst, &r2, &g2, &b2);
    auto ch = [level](int c1, int c2) { return c2 + (c1 - c2) * level / 255; };
    *dst = pack(ch(r1, r2), ch(g1, g2), ch(b1, b2));
  }
  static void scale(uint16_t* p, int n) {
    int r, g, b;
    unpack(*p, &r, &g, &b);
    *p = pack(r * n >> 5, g * n >> 5, b * n >> 5);
  }

  template <class Op>
  static uint16_t per_channel(uint16_t s, uint16_t d, Op op) {
    const uint32_t masks[3] = {pixel_channels.red.mask, pixel_channels.green.mask, pixel_channels.blue.mask};
    uint32_t out = 0;
    for (uint32_t m : masks) out |= op(s & m, d & m, m);
    return static_cast<uint16_t>(out);
  }
  static void add(const uint16_t* src, uint16_t* dst) {
    *dst = per_channel(*src, *dst, [](uint32_t s, uint32_t d, uint32_t m) { return s + d > m ? m : s + d; });
  }
  static void sub(const uint16_t* src, uint16_t* dst) {
    *dst = per_channel(*src, *dst, [](uint32_t s, uint32_t d, uint32_t m) { return s > d ? (s - d) & m : 0u; });
  }
  static void min(const uint16_t* src, uint16_t* dst) {
    *dst = per_channel(*src, *dst, [](uint32_t s, uint32_t d, uint32_t) { return s < d ? s : d; });
  }
  static void max(const uint16_t* src, uint16_t* dst) {
    *dst = per_channel(*src, *dst, [](uint32_t s, uint32_t d, uint32_t) { return s > d ? s : d; });
  }
  static void mix(const uint16_t* src, uint16_t* dst) {
    *dst = per_channel(*src, *dst, [](uint32_t s, uint32_t d, uint32_t m) { return ((s + d) >> 1) & m; });
  }
};

}  // namespace pixel_rows
