// Rows 15 and 21-30 of every family: unpack with the family's row 10, work on 8-bit channels,
// pack with its row 9.
#pragma once
#include <cstdint>

namespace pixel_rows {

inline int doubled(int c) { return c * 2 > 255 ? 255 : c * 2; }

template <class F>
struct CommonRows {
  static void grey(const uint16_t* src, uint16_t* dst) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    const int y = (30 * r + 59 * g + 11 * b) / 100;
    *dst = F::pack(y, y, y);
  }
  static void tint_red(const uint16_t* src, uint16_t* dst) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    *dst = F::pack(doubled(r), g / 2, b / 2);
  }
  static void tint_green(const uint16_t* src, uint16_t* dst) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    *dst = F::pack(r / 2, doubled(g), b / 2);
  }
  static void tint_blue(const uint16_t* src, uint16_t* dst) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    *dst = F::pack(r / 2, g / 2, doubled(b));
  }
  static void tint_yellow(const uint16_t* src, uint16_t* dst) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    *dst = F::pack(doubled(r), doubled(g), b / 2);
  }
  static void add_scaled(const uint16_t* src, uint16_t* dst, int level) {
    int r1, g1, b1, r2, g2, b2;
    F::unpack(*src, &r1, &g1, &b1);
    F::unpack(*dst, &r2, &g2, &b2);
    auto ch = [level](int c1, int c2) {
      const int c = c2 + c1 * level / 255;
      return c > 255 ? 255 : c;
    };
    *dst = F::pack(ch(r1, r2), ch(g1, g2), ch(b1, b2));
  }
  static void scaled(const uint16_t* src, uint16_t* dst, int level) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    *dst = F::pack(r * level / 255, g * level / 255, b * level / 255);
  }
  static void reduced(const uint16_t* src, uint16_t* dst, int level) {
    int r, g, b;
    F::unpack(*src, &r, &g, &b);
    *dst = F::pack(r - r * level / 255, g - g * level / 255, b - b * level / 255);
  }
  static void brighten(uint16_t* pixel, int dr, int dg, int db) {
    int r, g, b;
    F::unpack(*pixel, &r, &g, &b);
    auto up = [](int c, int d) { return c + d > 255 ? 255 : c + d; };
    *pixel = F::pack(up(r, dr), up(g, dg), up(b, db));
  }
  static void darken(uint16_t* pixel, int dr, int dg, int db) {
    int r, g, b;
    F::unpack(*pixel, &r, &g, &b);
    auto down = [](int c, int d) { return c - d < 0 ? 0 : c - d; };
    *pixel = F::pack(down(r, dr), down(g, dg), down(b, db));
  }
  // Moves dst toward half red, half green, doubled blue of src; the division truncates toward 0.
  static void toward_blue(const uint16_t* src, uint16_t* dst, int level) {
    int r1, g1, b1, r2, g2, b2;
    F::unpack(*src, &r1, &g1, &b1);
    F::unpack(*dst, &r2, &g2, &b2);
    auto ch = [level](int target, int c2) { return c2 + (target - c2) * level / 255; };
    *dst = F::pack(ch(r1 / 2, r2), ch(g1 / 2, g2), ch(doubled(b1), b2));
  }
};

// The 30 slots of a family F that offers rows 1-14, 16-20 and the pack/unpack pair.
template <class F>
constexpr PIXEL_OPS make_pixel_ops() {
  using C = CommonRows<F>;
  return PIXEL_OPS{F::pack_rgb,  F::unpack_rgb,    F::get_red,    F::get_green,   F::get_blue,  F::set_red,
                   F::set_green, F::set_blue,      F::pack,       F::unpack,      F::to_555,    F::from_555,
                   F::blend,     F::add,           C::grey,       F::sub,         F::min,       F::max,
                   F::mix,       F::scale,         C::tint_red,   C::tint_green,  C::tint_blue, C::tint_yellow,
                   C::add_scaled, C::scaled,       C::reduced,    C::brighten,    C::darken,    C::toward_blue};
}

}  // namespace pixel_rows
