// Plane geometry over POLY records. The scratch records of the original design are locals here.
#include "graphics/poly/poly_geom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/primitives/gfx16_lines.h"

namespace {

// Adds 0.5 and truncates toward zero, also for negative values, then keeps the result in range.
int32_t rnd(double v) {
  const double t = std::trunc(v + 0.5);
  if (!(t > INT32_MIN)) return INT32_MIN;  // also NaN
  if (t > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(t);
}

// A count from a file may be anything: the lists hold 15 points and the closing entry.
int32_t points(const POLY* p) { return p == nullptr ? 0 : std::clamp(p->count, 0, POLY_LIST_SIZE - 1); }
int32_t at(uint8_t index) { return index < POLY_LIST_SIZE ? index : 0; }

// The greatest common divisor with math_gcd's rule: 1 when either value is 0.
// Plane values of far-apart points need more than 64 bits before they are reduced.
using Wide = __int128;
Wide wide_abs(Wide v) { return v < 0 ? -v : v; }
Wide gcd_or_one(Wide a, Wide b) {
  if (a == 0 || b == 0) return 1;
  a = wide_abs(a), b = wide_abs(b);
  while (b != 0) {
    const Wide t = a % b;
    a = b;
    b = t;
  }
  return a;
}

void close_lists(POLY* p) {
  const int32_t n = points(p);
  p->x[n] = p->x[0];
  p->y[n] = p->y[0];
  p->base[n] = p->base[0];
  p->top[n] = p->top[0];
  p->extra[n] = p->extra[0];
}

// The sign pattern of the point against every edge: 1 when never on both sides.
int32_t cross_test(const int32_t* xs, const int32_t* ys, int32_t n, int32_t x, int32_t y) {
  bool pos = false, neg = false;
  for (int32_t i = 0; i < n; ++i) {
    // Differences reach 2^32, so their products are formed in double precision.
    const double c = (double(xs[i + 1]) - xs[i]) * (double(y) - ys[i]) - (double(ys[i + 1]) - ys[i]) * (double(x) - xs[i]);
    pos |= c > 0;
    neg |= c < 0;
  }
  return pos && neg ? 0 : 1;
}

struct Box {
  int32_t left, top, right, bottom;
};
Box box_of(const POLY* p) {
  return {p->x[at(p->min_x_index)], p->y[at(p->min_y_index)], p->x[at(p->max_x_index)], p->y[at(p->max_y_index)]};
}
bool boxes_meet(Box a, Box b) { return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom; }

double len3(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

void builder_common(POLY* p, int32_t n, int32_t cx, int32_t cy, uint8_t minx, uint8_t maxx, uint8_t miny,
                    uint8_t maxy) {
  p->count = n;
  p->kind = 3;
  p->min_x_index = minx;
  p->max_x_index = maxx;
  p->min_y_index = miny;
  p->max_y_index = maxy;
  p->centre_x = cx;
  p->centre_y = cy;
  p->base_height = 0;
  p->top_height = 0;
  for (int i = 0; i < POLY_LIST_SIZE; ++i) p->base[i] = p->top[i] = 0;
  p->top_a = p->base_a = 0;
  p->top_b = p->base_b = 0;
  p->top_c = p->base_c = 1;
  p->top_d = p->base_d = 0;
  close_lists(p);
}

// The base plane's height at (x, y); 0 when the plane is vertical.
int32_t base_plane_height(const POLY* p, int32_t x, int32_t y) {
  if (p->base_c == 0) return 0;
  return rnd(-(double(p->base_a) * x + double(p->base_b) * y + p->base_d) / p->base_c);
}

void set_entry(POLY* p, int32_t i, int32_t x, int32_t y, int32_t base, uint32_t flags, uint32_t given_flag) {
  if (flags & POLY_SET_X) p->x[i] = x;
  if (flags & POLY_SET_Y) p->y[i] = y;
  p->base[i] = (flags & given_flag) ? base : base_plane_height(p, p->x[i], p->y[i]);
}

// -(a x + b y + d) / (b + c), truncated; 0 when b + c is 0.
int32_t screen_formula(PolyPlane pl, int32_t x, int32_t y) {
  const Wide div = Wide{pl.b} + pl.c;
  if (div == 0) return 0;
  const Wide v = -(Wide{pl.a} * x + Wide{pl.b} * y + pl.d) / div;
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// Copy with every y lowered by a per-point height list.
POLY lowered(const POLY* p, const int32_t* heights) {
  POLY q = *p;
  const int32_t n = points(p);
  for (int32_t i = 0; i <= n; ++i) q.y[i] = gfx16_clamp32(int64_t{p->y[i]} - heights[i]);
  q.count = n;
  poly_update_extremes(&q);
  return q;
}

}  // namespace

// ---- records --------------------------------------------------------------------------------

POLY* poly_alloc() {
  POLY* p = new (std::nothrow) POLY;
  if (p != nullptr) *p = POLY{};
  return p;
}
void poly_free(POLY* poly) { delete poly; }
void poly_copy(POLY* dst, const POLY* src) {
  if (dst != nullptr && src != nullptr) *dst = *src;
}
void poly_clear(POLY* poly) {
  if (poly == nullptr) return;
  const POLY keep = *poly;
  *poly = POLY{};
  poly->kind = keep.kind;
  poly->top_a = keep.top_a, poly->base_a = keep.base_a, poly->top_b = keep.top_b, poly->base_b = keep.base_b;
  poly->top_c = keep.top_c, poly->base_c = keep.base_c, poly->top_d = keep.top_d, poly->base_d = keep.base_d;
}
void poly_set_kind(POLY* poly, int32_t kind) {
  if (poly != nullptr) poly->kind = kind;
}
int32_t poly_is_valid(const POLY* poly) { return poly != nullptr && poly->count >= 3 ? 1 : 0; }
void poly_scan_top_heights(const POLY* poly) {
  int32_t lowest = 0;
  for (int32_t i = 0; i < points(poly); ++i) lowest = std::min(lowest, poly->top[i]);
  (void)lowest;
}

void poly_update_extremes(POLY* poly) {
  if (poly == nullptr) return;
  const int32_t n = std::max(points(poly), 1);
  uint8_t minx = 0, maxx = 0, miny = 0, maxy = 0, mintop = 0, maxbase = 0;
  for (int32_t i = 1; i < n; ++i) {
    if (poly->x[i] < poly->x[minx]) minx = uint8_t(i);
    if (poly->x[i] > poly->x[maxx]) maxx = uint8_t(i);
    if (poly->y[i] < poly->y[miny]) miny = uint8_t(i);
    if (poly->y[i] > poly->y[maxy]) maxy = uint8_t(i);
    if (poly->top[i] < poly->top[mintop]) mintop = uint8_t(i);
    if (poly->base[i] > poly->base[maxbase]) maxbase = uint8_t(i);
  }
  poly->min_x_index = minx, poly->max_x_index = maxx, poly->min_y_index = miny, poly->max_y_index = maxy;
  poly->min_top_index = mintop, poly->max_base_index = maxbase;
}

// ---- builders -------------------------------------------------------------------------------

void poly_make_rect(POLY* poly, int32_t cx, int32_t cy, int32_t w, int32_t h) {
  if (poly == nullptr) return;
  const auto f = [](int64_t v) { return gfx16_clamp32(v); };
  const int32_t xs[4] = {f(int64_t{cx} - w), f(int64_t{cx} - w), f(int64_t{cx} + w), f(int64_t{cx} + w)};
  const int32_t ys[4] = {f(int64_t{cy} - h), f(int64_t{cy} + h), f(int64_t{cy} + h), f(int64_t{cy} - h)};
  for (int i = 0; i < 4; ++i) poly->x[i] = xs[i], poly->y[i] = ys[i];
  builder_common(poly, 4, cx, cy, 0, 2, 3, 1);
}

void poly_make_diamond(POLY* poly, int32_t cx, int32_t cy, int32_t w, int32_t h) {
  if (poly == nullptr) return;
  const auto f = [](int64_t v) { return gfx16_clamp32(v); };
  const int32_t xs[4] = {f(int64_t{cx} - w), cx, f(int64_t{cx} + w), cx};
  const int32_t ys[4] = {cy, f(int64_t{cy} + h), cy, f(int64_t{cy} - h)};
  for (int i = 0; i < 4; ++i) poly->x[i] = xs[i], poly->y[i] = ys[i];
  builder_common(poly, 4, cx, cy, 0, 2, 3, 1);
}

void poly_make_ellipse(POLY* poly, int32_t cx, int32_t cy, int32_t rx, int32_t ry) {
  if (poly == nullptr) return;
  constexpr double pi = 3.1415927;
  for (int i = 0; i < 12; ++i) {
    const double angle = (i + 6) * pi / 6;
    poly->x[i] = rnd(cx + rx * std::cos(angle));
    poly->y[i] = rnd(cy + ry * std::sin(angle));
  }
  // Point 3 (at 3/2 pi) has the smallest y and point 9 the largest.
  builder_common(poly, 12, cx, cy, 0, 6, 3, 9);
}

void poly_set_heights(POLY* poly, int32_t top, int32_t base) {
  if (poly == nullptr) return;
  for (int i = 0; i < POLY_LIST_SIZE; ++i) poly->top[i] = top, poly->base[i] = base;
  poly->top_height = top;
  poly->base_height = base;
  poly->top_a = poly->top_b = 0, poly->top_c = 1, poly->top_d = gfx16_clamp32(-int64_t{top});
  poly->base_a = poly->base_b = 0, poly->base_c = 1, poly->base_d = gfx16_clamp32(-int64_t{base});
}

void poly_add_point(POLY* poly, int32_t x, int32_t y, int32_t base, int32_t top, uint32_t flags) {
  if (poly == nullptr || poly->count < 0 || poly->count >= 15) return;
  const int32_t n = poly->count;
  set_entry(poly, n, x, y, base, flags, POLY_ADD_POINT_GIVEN_BASE);
  poly->top[n] = top;
  poly->count = n + 1;
  close_lists(poly);
}

void poly_set_point(POLY* poly, int32_t i, int32_t x, int32_t y, int32_t base, uint32_t flags) {
  if (poly == nullptr || i < 0 || i >= points(poly)) return;
  set_entry(poly, i, x, y, base, flags, POLY_SET_POINT_GIVEN_BASE);
  close_lists(poly);
}

int32_t poly_plane_from_points(POLY* poly, int32_t i, int32_t j, int32_t k) {
  const int32_t n = points(poly);
  if (n < 3 || i < 0 || j < 0 || k < 0 || i >= n || j >= n || k >= n) return -2;
  const PolyPlane pl = plane_from_points({poly->x[i], poly->y[i], poly->base[i]}, {poly->x[j], poly->y[j], poly->base[j]},
                                         {poly->x[k], poly->y[k], poly->base[k]});
  poly->base_a = pl.a, poly->base_b = pl.b, poly->base_c = pl.c, poly->base_d = pl.d;
  return 0;
}

// ---- moving ---------------------------------------------------------------------------------

namespace {
// Far-off records and positions clamp instead of overflowing.
void add(int32_t& v, int64_t d) { v = gfx16_clamp32(v + d); }
}  // namespace

void poly_translate(POLY* poly, int32_t dx, int32_t dy, int32_t dz) {
  if (poly == nullptr) return;
  for (int32_t i = 0; i <= points(poly); ++i) {
    add(poly->x[i], dx), add(poly->y[i], dy), add(poly->base[i], dz), add(poly->top[i], dz);
  }
  add(poly->centre_x, dx), add(poly->centre_y, dy), add(poly->base_height, dz), add(poly->top_height, dz);
}

void poly_offset(POLY* poly, int32_t dx, int32_t dy) {
  if (poly == nullptr) return;
  for (int32_t i = 0; i <= points(poly); ++i) add(poly->x[i], dx), add(poly->y[i], dy);
  add(poly->centre_x, dx), add(poly->centre_y, dy);
}
void poly_move_to(POLY* poly, int32_t x, int32_t y) {
  if (poly != nullptr) poly_offset(poly, gfx16_clamp32(int64_t{x} - poly->centre_x), gfx16_clamp32(int64_t{y} - poly->centre_y));
}
void poly_move_to_origin(POLY* poly) { poly_move_to(poly, 0, 0); }

void poly_update_centre(POLY* poly) {
  const int32_t n = points(poly);
  if (n == 0) return;
  int64_t sx = 0, sy = 0;
  for (int32_t i = 0; i < n; ++i) sx += poly->x[i], sy += poly->y[i];
  poly->centre_x = static_cast<int32_t>(sx / n);
  poly->centre_y = static_cast<int32_t>(sy / n);
}

// ---- tests ----------------------------------------------------------------------------------

int32_t poly_contains_point(int32_t x, int32_t y, const POLY* poly) {
  const int32_t n = points(poly);
  if (n < 3) return 0;
  const Box b = box_of(poly);
  if (x < b.left || x > b.right || y < b.top || y > b.bottom) return 0;
  return cross_test(poly->x, poly->y, n, x, y);
}

int32_t poly_contains_segment(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const POLY* poly) {
  return poly_contains_point(x1, y1, poly) && poly_contains_point(x2, y2, poly) ? 1 : 0;
}

int32_t poly_inside_poly(const POLY* a, const POLY* b) {
  const int32_t n = points(a);
  if (n == 0) return 0;
  for (int32_t i = 0; i < n; ++i) {
    if (!poly_contains_point(a->x[i], a->y[i], b)) return 0;
  }
  return 1;
}

int32_t segment_straddles(int32_t px1, int32_t py1, int32_t px2, int32_t py2, int32_t qx1, int32_t qy1,
                          int32_t qx2, int32_t qy2) {
  const double dx = double(px2) - px1, dy = double(py2) - py1;
  const double c1 = dx * (double(qy1) - py1) - dy * (double(qx1) - px1);
  const double c2 = dx * (double(qy2) - py1) - dy * (double(qx2) - px1);
  return (c1 > 0 && c2 > 0) || (c1 < 0 && c2 < 0) ? 0 : 1;
}

int32_t segments_cross(int32_t px1, int32_t py1, int32_t px2, int32_t py2, int32_t qx1, int32_t qy1, int32_t qx2,
                       int32_t qy2) {
  return segment_straddles(px1, py1, px2, py2, qx1, qy1, qx2, qy2) &&
                 segment_straddles(qx1, qy1, qx2, qy2, px1, py1, px2, py2)
             ? 1
             : 0;
}

int32_t poly_overlap(const POLY* a, const POLY* b) {
  const int32_t na = points(a), nb = points(b);
  if (na == 0 || nb == 0 || !boxes_meet(box_of(a), box_of(b))) return 0;
  for (int32_t i = 0; i < na; ++i) {
    if (poly_contains_point(a->x[i], a->y[i], b)) return 1;
  }
  for (int32_t i = 0; i < nb; ++i) {
    if (poly_contains_point(b->x[i], b->y[i], a)) return 1;
  }
  for (int32_t i = 0; i < na; ++i) {
    for (int32_t j = 0; j < nb; ++j) {
      if (segments_cross(a->x[i], a->y[i], a->x[i + 1], a->y[i + 1], b->x[j], b->y[j], b->x[j + 1], b->y[j + 1])) return 1;
    }
  }
  return 0;
}

int32_t line_splits_poly(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const POLY* poly) {
  bool pos = false, neg = false, on = false;
  for (int32_t i = 0; i < points(poly); ++i) {
    const double c = (double(x2) - x1) * (double(poly->y[i]) - y1) - (double(y2) - y1) * (double(poly->x[i]) - x1);
    pos |= c > 0, neg |= c < 0, on |= c == 0;
  }
  return (pos && neg) || on ? 1 : 0;
}

int32_t poly_contains_point_base(const POLY* poly, int32_t x, int32_t y) {
  if (poly == nullptr) return 0;
  const POLY q = lowered(poly, poly->base);
  return poly_contains_point(x, y, &q);
}
int32_t poly_contains_point_top(const POLY* poly, int32_t x, int32_t y) {
  if (poly == nullptr) return 0;
  const POLY q = lowered(poly, poly->top);
  return poly_contains_point(x, y, &q);
}

// ---- measures -------------------------------------------------------------------------------

int32_t dist2d(int32_t x1, int32_t y1, int32_t x2, int32_t y2) { return dist3d({x1, y1, 0}, {x2, y2, 0}); }

int32_t dist_point_line2d(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return dist_point_line3d({x, y, 0}, {x1, y1, 0}, {x2, y2, 0});
}

namespace {
int32_t angle_of(double ux, double uy, double uz, double vx, double vy, double vz) {
  const double lu = len3(ux, uy, uz), lv = len3(vx, vy, vz);
  double c = -1;
  if (lu != 0 && lv != 0) c = std::clamp((ux * vx + uy * vy + uz * vz) / (lu * lv), -1.0, 1.0);
  return static_cast<int32_t>(std::acos(c) / std::acos(-1.0) * 18000 + 0.5);
}
}  // namespace

int32_t angle2d(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4) {
  return angle_of(double(x2) - x1, double(y2) - y1, 0, double(x4) - x3, double(y4) - y3, 0);
}

int32_t dist3d(PolyPoint3 a, PolyPoint3 b) {
  return rnd(len3(double(a.x) - b.x, double(a.y) - b.y, double(a.z) - b.z));
}

int32_t dist_point_line3d(PolyPoint3 p, PolyPoint3 a, PolyPoint3 b) {
  const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
  const double px = double(p.x) - a.x, py = double(p.y) - a.y, pz = double(p.z) - a.z;
  const double l = len3(dx, dy, dz);
  if (l == 0) return rnd(len3(px, py, pz));
  return rnd(len3(py * dz - pz * dy, pz * dx - px * dz, px * dy - py * dx) / l);
}

int32_t angle3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2) {
  return angle_of(double(a2.x) - a1.x, double(a2.y) - a1.y, double(a2.z) - a1.z, double(b2.x) - b1.x,
                  double(b2.y) - b1.y, double(b2.z) - b1.z);
}

namespace {
// Parameters t (along the first) and u (along the second) of the crossing; false when parallel.
bool crossing(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4, double* t,
              double* u) {
  const double dx1 = x2 - x1, dy1 = y2 - y1, dx2 = x4 - x3, dy2 = y4 - y3;
  const double den = dx1 * dy2 - dy1 * dx2;
  if (den == 0) return false;
  *t = ((x3 - x1) * dy2 - (y3 - y1) * dx2) / den;
  *u = ((x3 - x1) * dy1 - (y3 - y1) * dx1) / den;
  return true;
}

int32_t intersect3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2, PolyPoint3* out, bool segments) {
  double t = 0, u = 0;
  if (!crossing(a1.x, a1.y, a2.x, a2.y, b1.x, b1.y, b2.x, b2.y, &t, &u)) return 0;
  if (segments && !(t >= 0 && t < 1 && u >= 0 && u < 1)) return 0;
  const int32_t za = rnd(a1.z + t * (double(a2.z) - a1.z)), zb = rnd(b1.z + u * (double(b2.z) - b1.z));
  if (za != zb) return 0;
  if (out != nullptr) *out = {rnd(a1.x + t * (double(a2.x) - a1.x)), rnd(a1.y + t * (double(a2.y) - a1.y)), za};
  return 1;
}
}  // namespace

int32_t lines_intersect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                        int32_t y4, int32_t* x, int32_t* y) {
  PolyPoint3 p{};
  if (!intersect3d({x1, y1, 0}, {x2, y2, 0}, {x3, y3, 0}, {x4, y4, 0}, &p, false)) return 0;
  if (x != nullptr) *x = p.x;
  if (y != nullptr) *y = p.y;
  return 1;
}

int32_t segments_intersect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                           int32_t y4, int32_t* x, int32_t* y) {
  PolyPoint3 p{};
  if (!intersect3d({x1, y1, 0}, {x2, y2, 0}, {x3, y3, 0}, {x4, y4, 0}, &p, true)) return 0;
  if (x != nullptr) *x = p.x;
  if (y != nullptr) *y = p.y;
  return 1;
}

int32_t lines_intersect3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2, PolyPoint3* out) {
  return intersect3d(a1, a2, b1, b2, out, false);
}
int32_t segments_intersect3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2, PolyPoint3* out) {
  return intersect3d(a1, a2, b1, b2, out, true);
}

// ---- planes ---------------------------------------------------------------------------------

PolyPlane plane_from_points(PolyPoint3 p1, PolyPoint3 p2, PolyPoint3 p3) {
  const Wide ux = Wide{p2.x} - p1.x, uy = Wide{p2.y} - p1.y, uz = Wide{p2.z} - p1.z;
  const Wide vx = Wide{p3.x} - p1.x, vy = Wide{p3.y} - p1.y, vz = Wide{p3.z} - p1.z;
  const Wide a = uy * vz - uz * vy, b = uz * vx - ux * vz, c = ux * vy - uy * vx;
  if (a == 0 && b == 0 && c == 0) return {0, 0, 0, 0};
  const Wide d = -(a * p1.x + b * p1.y + c * p1.z);
  const Wide g = gcd_or_one(gcd_or_one(gcd_or_one(a, b), c), d);
  const auto fit = [](Wide v) { return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
  return {fit(a / g), fit(b / g), fit(c / g), fit(d / g)};
}

int32_t plane_point(PolyPoint3 p, PolyPoint3 q, PolyPlane pl, PolyPoint3* out) {
  const double dx = double(q.x) - p.x, dy = double(q.y) - p.y, dz = double(q.z) - p.z;
  const double div = pl.a * dx + pl.b * dy + pl.c * dz;
  const double t = div == 0 ? 0 : -(double(pl.a) * p.x + double(pl.b) * p.y + double(pl.c) * p.z + pl.d) / div;
  if (out != nullptr) *out = {rnd(p.x + t * dx), rnd(p.y + t * dy), rnd(p.z + t * dz)};
  return 1;
}

void line_foot_point(PolyPoint3 p, PolyPoint3 a, PolyPoint3 b, PolyPoint3* out) {
  const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
  const double l2 = dx * dx + dy * dy + dz * dz;
  const double t = l2 == 0 ? 0 : ((double(p.x) - a.x) * dx + (double(p.y) - a.y) * dy + (double(p.z) - a.z) * dz) / l2;
  if (out != nullptr) *out = {rnd(a.x + t * dx), rnd(a.y + t * dy), rnd(a.z + t * dz)};
}

void plane_offset_point(PolyPoint3 p, PolyPlane pl, PolyPoint3* out) {
  const double n2 = double(pl.a) * pl.a + double(pl.b) * pl.b + double(pl.c) * pl.c;
  if (out == nullptr) return;
  if (n2 == 0) {
    *out = p;
    return;
  }
  const double s = (double(pl.a) * p.x + double(pl.b) * p.y + double(pl.c) * p.z + pl.d) / n2;
  *out = {rnd(p.x + pl.a * s), rnd(p.y + pl.b * s), rnd(p.z + pl.c * s)};
}

int32_t dist_point_plane(PolyPoint3 p, PolyPlane pl) {
  const double n = len3(pl.a, pl.b, pl.c);
  if (n == 0) return rnd(len3(p.x, p.y, p.z));
  return rnd(std::fabs(double(pl.a) * p.x + double(pl.b) * p.y + double(pl.c) * p.z + pl.d) / n);
}

int32_t line_line_dist3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2) {
  const double ax = double(a2.x) - a1.x, ay = double(a2.y) - a1.y, az = double(a2.z) - a1.z;
  const double bx = double(b2.x) - b1.x, by = double(b2.y) - b1.y, bz = double(b2.z) - b1.z;
  const bool a_zero = ax == 0 && ay == 0 && az == 0, b_zero = bx == 0 && by == 0 && bz == 0;
  if (a_zero && b_zero) return dist3d(a1, b1);
  if (a_zero) return dist_point_line3d(a1, b1, b2);
  if (b_zero) return dist_point_line3d(b1, a1, a2);
  const double cx = ay * bz - az * by, cy = az * bx - ax * bz, cz = ax * by - ay * bx;
  const double cl = len3(cx, cy, cz);
  if (cl == 0) return dist_point_line3d(a1, b1, b2);
  return rnd(std::fabs((double(b1.x) - a1.x) * cx + (double(b1.y) - a1.y) * cy + (double(b1.z) - a1.z) * cz) / cl);
}

int32_t dist_point_segment3d(PolyPoint3 p, PolyPoint3 a, PolyPoint3 b, PolyPoint3* nearest) {
  const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
  const double l2 = dx * dx + dy * dy + dz * dz;
  double t = l2 == 0 ? 0 : ((double(p.x) - a.x) * dx + (double(p.y) - a.y) * dy + (double(p.z) - a.z) * dz) / l2;
  t = std::clamp(t, 0.0, 1.0);
  const PolyPoint3 n{rnd(a.x + t * dx), rnd(a.y + t * dy), rnd(a.z + t * dz)};
  if (nearest != nullptr) *nearest = n;
  return rnd(len3(a.x + t * dx - p.x, a.y + t * dy - p.y, a.z + t * dz - p.z));
}

int32_t segment_closest_points3d(PolyPoint3* p1, PolyPoint3* p2, PolyPoint3 q1, PolyPoint3 q2, int32_t limit) {
  int32_t moved = 0;
  for (PolyPoint3* end : {p1, p2}) {
    PolyPoint3 n{};
    if (end != nullptr && dist_point_segment3d(*end, q1, q2, &n) < limit) {
      *end = n;
      ++moved;
    }
  }
  return moved;
}

int32_t poly_base_height_at(const POLY* poly, int32_t x, int32_t y) {
  if (points(poly) < 3) return 0;
  const PolyPlane pl = plane_from_points({poly->x[0], poly->y[0], poly->base[0]}, {poly->x[1], poly->y[1], poly->base[1]},
                                         {poly->x[2], poly->y[2], poly->base[2]});
  if (pl.c == 0) return 0;
  const Wide v = -(Wide{pl.a} * x + Wide{pl.b} * y + pl.d) / pl.c;
  return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

int32_t poly_screen_height_at(const POLY* poly, int32_t x, int32_t y) {
  if (points(poly) < 3) return 0;
  return screen_formula(plane_from_points({poly->x[0], poly->y[0], poly->base[0]},
                                          {poly->x[1], poly->y[1], poly->base[1]},
                                          {poly->x[2], poly->y[2], poly->base[2]}),
                        x, y);
}

int32_t poly_edge_value_at(const POLY* poly, int32_t i, int32_t x, int32_t y) {
  if (i < 0 || i >= points(poly)) return 0;
  return screen_formula(plane_from_points({poly->x[i], poly->y[i], 0}, {poly->x[i], poly->y[i], 1},
                                          {poly->x[i + 1], poly->y[i + 1], 0}),
                        x, y);
}

// ---- clipping, hull, grid, snapping ---------------------------------------------------------

int32_t poly_clip_segment(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2, const POLY* poly) {
  const int32_t n = points(poly);
  if (n == 0) return 0;
  const Box seg{std::min(*x1, *x2), std::min(*y1, *y2), std::max(*x1, *x2), std::max(*y1, *y2)};
  if (!boxes_meet(seg, box_of(poly)) || !line_splits_poly(*x1, *y1, *x2, *y2, poly)) return 0;
  int32_t xs[16], ys[16], found = 0;
  for (int32_t i = 0; i < n && found < 16; ++i) {
    if (segments_intersect(*x1, *y1, *x2, *y2, poly->x[i], poly->y[i], poly->x[i + 1], poly->y[i + 1], &xs[found],
                           &ys[found])) {
      ++found;
    }
  }
  if (found == 0) return 0;
  for (int32_t i = 1; i < found; ++i) {
    if (xs[i] != xs[0] || ys[i] != ys[0]) {
      *x1 = xs[0], *y1 = ys[0], *x2 = xs[i], *y2 = ys[i];
      return 3;
    }
  }
  *x1 = xs[0], *y1 = ys[0];
  return 1;
}

void poly_convex_hull(POLY* poly) {
  const int32_t n = points(poly);
  if (n == 0) return;
  int32_t start = 0;
  for (int32_t i = 1; i < n; ++i) {
    if (poly->x[i] < poly->x[start] || (poly->x[i] == poly->x[start] && poly->y[i] > poly->y[start])) start = i;
  }
  bool taken[POLY_LIST_SIZE] = {};
  int32_t order[POLY_LIST_SIZE], size = 0;
  order[size++] = start;
  taken[start] = true;
  // The first reference edge runs from 100 above the start to the start; only its direction
  // counts, so it is kept as (0, 0) -> (0, 100), which no far-off start can overflow.
  int32_t ref_x1 = 0, ref_y1 = 0, ref_x2 = 0, ref_y2 = 100;
  int32_t current = start;
  while (size < n) {
    int32_t best = -1, best_angle = 99999;
    for (int32_t i = 0; i < n; ++i) {
      if (taken[i] && !(i == start && size >= 3)) continue;
      const int32_t a = angle2d(ref_x1, ref_y1, ref_x2, ref_y2, poly->x[current], poly->y[current], poly->x[i], poly->y[i]);
      if (a < best_angle) best = i, best_angle = a;
    }
    if (best < 0 || best == start) break;
    order[size++] = best;
    taken[best] = true;
    ref_x1 = poly->x[current], ref_y1 = poly->y[current], ref_x2 = poly->x[best], ref_y2 = poly->y[best];
    current = best;
  }
  const POLY src = *poly;
  for (int32_t k = 0; k < size; ++k) {
    const int32_t i = order[k];
    poly->x[k] = src.x[i], poly->y[k] = src.y[i], poly->base[k] = src.base[i], poly->top[k] = src.top[i];
    poly->extra[k] = src.extra[i];
  }
  poly->count = size;
  close_lists(poly);
  poly_update_extremes(poly);
}

void diamond_cell_at(int32_t* x, int32_t* y, int32_t* column, int32_t* row, int32_t w, int32_t h) {
  if (w <= 0 || h <= 0 || x == nullptr || y == nullptr) return;
  static constexpr int32_t kdx[5] = {0, -1, 1, -1, 1}, kdy[5] = {0, -1, -1, 1, 1};
  static constexpr int32_t kcol[5] = {0, -1, 0, -1, 0}, krow[5] = {0, -1, -1, 1, 1};
  const int32_t c0 = gfx16_clamp32((int64_t{*x} + w / 2) / w), r0 = gfx16_clamp32(((int64_t{*y} + h / 2) / h) * 2);
  const int32_t bx = gfx16_clamp32(int64_t{c0} * w), by = gfx16_clamp32(int64_t{h / 2} * r0);
  int32_t pick = 0;
  for (int32_t k = 0; k < 5; ++k) {
    POLY d{};
    poly_make_diamond(&d, gfx16_clamp32(bx + int64_t{kdx[k]} * (w / 2)), gfx16_clamp32(by + int64_t{kdy[k]} * (h / 2)),
                      w / 2, h / 2);
    if (poly_contains_point(*x, *y, &d)) {
      pick = k;
      break;
    }
  }
  const int32_t col = gfx16_clamp32(int64_t{c0} + kcol[pick]), rw = gfx16_clamp32(int64_t{r0} + krow[pick]);
  if (column != nullptr) *column = col;
  if (row != nullptr) *row = rw;
  *x = gfx16_clamp32(int64_t{col} * w + ((rw & 1) ? w / 2 : 0));
  *y = gfx16_clamp32(int64_t{h / 2} * rw - h / 2);
}

int32_t poly_snap_cross(const POLY* poly, int32_t limit, int32_t a, int32_t b, int32_t* x, int32_t* y, int32_t* z,
                        int32_t /*ignored*/, PolyPoint3* corner1, PolyPoint3* corner2) {
  if (x == nullptr || y == nullptr || z == nullptr) return 0;
  // Each diagonal as a centre point and a half direction.
  PolyPoint3 centre[2] = {{*x, *y, *z}, {*x, *y, *z}};
  const int32_t hx[2] = {a, a}, hy[2] = {b, gfx16_clamp32(-int64_t{b})};
  PolyPoint3* corners[2] = {corner1, corner2};
  int32_t bits = 0;
  for (int k = 0; k < 2; ++k) {
    const PolyPoint3 c = centre[k];
    const PolyPoint3 e1{gfx16_clamp32(int64_t{c.x} - hx[k]), gfx16_clamp32(int64_t{c.y} - hy[k]), c.z};
    const PolyPoint3 e2{gfx16_clamp32(int64_t{c.x} + hx[k]), gfx16_clamp32(int64_t{c.y} + hy[k]), c.z};
    int32_t best = -1, best_dist = 999999;
    for (int32_t i = 0; i < points(poly); ++i) {
      const int32_t d = dist_point_line3d({poly->x[i], poly->y[i], poly->base[i]}, e1, e2);
      if (d < best_dist) best = i, best_dist = d;
    }
    if (best >= 0 && best_dist < limit) {
      centre[k] = {poly->x[best], poly->y[best], poly->base[best]};
      if (corners[k] != nullptr) *corners[k] = centre[k];
      bits |= 1 << k;
    }
  }
  PolyPoint3 p{};
  const auto end = [&](int k, int s) {
    return PolyPoint3{gfx16_clamp32(centre[k].x + int64_t{s} * hx[k]), gfx16_clamp32(centre[k].y + int64_t{s} * hy[k]),
                      centre[k].z};
  };
  if (lines_intersect3d(end(0, -1), end(0, 1), end(1, -1), end(1, 1), &p)) *x = p.x, *y = p.y, *z = p.z;
  return bits;
}

int32_t poly_snap_cross_tile(const POLY* poly, int32_t limit, int32_t* x, int32_t* y, int32_t* z, int32_t ignored,
                             PolyPoint3* corner1, PolyPoint3* corner2) {
  return poly_snap_cross(poly, limit, 20, 10, x, y, z, ignored, corner1, corner2);
}

int32_t poly_snap_to_centre(int32_t* x, int32_t* y, int32_t* z, int32_t radius, const POLY* poly) {
  if (poly == nullptr || x == nullptr || y == nullptr || z == nullptr) return 0;
  const int64_t sx = *x, sy = int64_t{*y} - *z;
  const auto within = [&](int64_t cy) {
    const double dx = double(sx - poly->centre_x), dy = double(sy - cy);
    return std::sqrt(dx * dx + dy * dy) < radius;
  };
  const bool base_hit = within(int64_t{poly->centre_y} - poly->base_height);
  const bool top_hit = within(int64_t{poly->centre_y} - poly->top_height);
  if (base_hit) *x = poly->centre_x, *y = poly->centre_y, *z = poly->base_height;
  if (top_hit) *x = poly->centre_x, *y = poly->centre_y, *z = poly->top_height;
  return base_hit ? 2 : top_hit ? 1 : 0;
}

int32_t poly_side_faces(const POLY* poly, int32_t x, int32_t y, int32_t* index) {
  const int32_t n = points(poly);
  if (n < 2) return 0;
  const int32_t first = at(poly->min_x_index) % n, last = at(poly->max_x_index) % n;
  for (int32_t i = first; i != last; i = (i + 1) % n) {
    const int32_t j = i + 1;
    const int32_t fx[5] = {poly->x[i], poly->x[j], poly->x[j], poly->x[i], poly->x[i]};
    const int32_t fy[5] = {poly->y[i], poly->y[j], gfx16_clamp32(int64_t{poly->y[j]} - poly->base[j]),
                           gfx16_clamp32(int64_t{poly->y[i]} - poly->base[i]), poly->y[i]};
    if (cross_test(fx, fy, 4, x, y)) {
      if (index != nullptr) *index = i;
      return 1;
    }
  }
  return 0;
}

int32_t poly_nearest_point(int32_t x, int32_t y, const POLY* poly) {
  int32_t best = -1;
  int64_t best_d = 999999;
  for (int32_t i = 0; i < points(poly); ++i) {
    const double dx = double(poly->x[i]) - x, dy = double(poly->y[i]) - y;
    if (dx * dx + dy * dy < best_d) best = i, best_d = static_cast<int64_t>(dx * dx + dy * dy);
  }
  return best;
}

void poly_widest_pair(int32_t x, int32_t y, const POLY* poly, int32_t* i_out, int32_t* j_out) {
  int32_t bi = -1, bj = -1, best = -1;
  const int32_t n = points(poly);
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = i + 1; j < n; ++j) {
      const int32_t a = angle2d(x, y, poly->x[i], poly->y[i], x, y, poly->x[j], poly->y[j]);
      if (a > best) best = a, bi = i, bj = j;
    }
  }
  if (i_out != nullptr) *i_out = bi;
  if (j_out != nullptr) *j_out = bj;
}

// ---- depth order ----------------------------------------------------------------------------

namespace {
// y of the line through the segment at column x (the segment's first y when it is vertical).
int32_t line_y_at(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x) {
  int32_t cx = 0, cy = y1;
  if (!lines_intersect(x1, y1, x2, y2, x, 0, x, 100, &cx, &cy)) return y1;
  return cy;
}
}  // namespace

int32_t segments_depth(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2, int32_t bx1, int32_t by1, int32_t bx2,
                       int32_t by2) {
  const int32_t a_lo = std::min(ax1, ax2), a_hi = std::max(ax1, ax2), b_lo = std::min(bx1, bx2), b_hi = std::max(bx1, bx2);
  const int32_t a_miny = std::min(ay1, ay2), a_maxy = std::max(ay1, ay2);
  const int32_t b_miny = std::min(by1, by2), b_maxy = std::max(by1, by2);
  if (a_hi < b_lo || b_hi < a_lo) {
    if (a_miny != b_miny) return a_miny < b_miny ? 1 : 2;
    return int64_t{ax1} + ax2 < int64_t{bx1} + bx2 ? 1 : 2;
  }
  if (b_miny >= a_maxy) return 1;
  if (a_miny >= b_maxy) return 2;
  const int32_t lo = std::max(a_lo, b_lo), hi = std::min(a_hi, b_hi);
  const int32_t ya_lo = line_y_at(ax1, ay1, ax2, ay2, lo), ya_hi = line_y_at(ax1, ay1, ax2, ay2, hi);
  const int32_t yb_lo = line_y_at(bx1, by1, bx2, by2, lo), yb_hi = line_y_at(bx1, by1, bx2, by2, hi);
  if (yb_lo >= ya_lo && yb_hi >= ya_hi) return 1;
  if (ya_lo >= yb_lo && ya_hi >= yb_hi) return 2;
  return 0;
}

int32_t poly_compare_depth(const POLY* a, int32_t ax, int32_t ay, int32_t az, const POLY* b, int32_t bx, int32_t by,
                           int32_t bz) {
  if (a == nullptr || b == nullptr) return 0;
  POLY pa = *a, pb = *b;
  pa.count = points(a), pb.count = points(b);
  poly_translate(&pa, ax, ay, az);
  poly_translate(&pb, bx, by, bz);
  if (poly_overlap(&pa, &pb)) {
    const bool a_ground = pa.base_height == 0, b_ground = pb.base_height == 0;
    if (a_ground && !b_ground) return 1;
    if (b_ground && !a_ground) return 2;
    if (az != bz) return az < bz ? 1 : 2;
    if (ay != by) return ay > by ? 2 : 1;
    if (ax != bx) return ax < bx ? 1 : 2;
    return 0;
  }
  const int32_t a1 = at(pa.min_x_index), a2 = at(pa.max_x_index), b1 = at(pb.min_x_index), b2 = at(pb.max_x_index);
  return segments_depth(pa.x[a1], pa.y[a1], pa.x[a2], pa.y[a2], pb.x[b1], pb.y[b1], pb.x[b2], pb.y[b2]);
}

// ---- drawing --------------------------------------------------------------------------------

namespace {
// x along an edge row by row: the floor of the exact x as a whole part and a remainder over dy.
struct EdgeStep {
  int64_t x = 0, rem = 0, q = 0, r = 0, dy = 1;
  EdgeStep() = default;
  EdgeStep(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t row) : dy(y1 - y0) {
    const int64_t dx = x1 - x0;
    q = dx / dy - ((dx % dy) < 0 ? 1 : 0);
    r = dx - q * dy;
    const int64_t num = dx * (row - y0);
    x = x0 + num / dy - ((num % dy) < 0 ? 1 : 0);
    rem = num - (x - x0) * dy;
  }
  void step() {
    x += q;
    rem += r;
    if (rem >= dy) ++x, rem -= dy;
  }
  int64_t floor_x() const { return x; }
  int64_t ceil_x() const { return x + (rem > 0 ? 1 : 0); }
};
}  // namespace

void poly_fill(const POLY* poly, uint16_t colour, BITMAP16* target) {
  const int32_t n = points(poly);
  if (n == 0 || target == nullptr || target->width == 0 || target->height == 0) return;
  int64_t ymin = poly->y[0], ymax = poly->y[0];
  for (int32_t i = 1; i < n; ++i) ymin = std::min<int64_t>(ymin, poly->y[i]), ymax = std::max<int64_t>(ymax, poly->y[i]);
  const int64_t first = std::max<int64_t>(ymin, 0), last = std::min<int64_t>(ymax, int64_t{target->height} - 1);
  if (first > last) return;
  // One stepper per slanted or vertical edge, started at the first drawn row it covers.
  struct Active {
    int64_t y0, y1;
    EdgeStep s;
  };
  Active edges[POLY_LIST_SIZE] = {};
  int32_t count = 0;
  for (int32_t i = 0; i < n; ++i) {
    int64_t x0 = poly->x[i], y0 = poly->y[i], x1 = poly->x[i + 1], y1 = poly->y[i + 1];
    if (y0 == y1) continue;
    if (y0 > y1) std::swap(x0, x1), std::swap(y0, y1);
    if (y1 < first || y0 > last) continue;
    const int64_t start = std::max(y0, first);
    edges[count] = Active{start, y1, EdgeStep(x0, y0, x1, y1, start)};
    ++count;
  }
  const int64_t right_edge = int64_t{target->width} - 1;
  for (int64_t row = first; row <= last; ++row) {
    // The span of the row: every edge crossing it (horizontal edges by their ends).
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (int32_t k = 0; k < count; ++k) {
      Active& e = edges[k];
      if (row < e.y0 || row > e.y1) continue;
      lo = std::min(lo, e.s.ceil_x());
      hi = std::max(hi, e.s.floor_x());
    }
    for (int32_t i = 0; i < n; ++i) {
      if (poly->y[i] == row && poly->y[i + 1] == row) {
        lo = std::min<int64_t>({lo, poly->x[i], poly->x[i + 1]});
        hi = std::max<int64_t>({hi, poly->x[i], poly->x[i + 1]});
      } else if (poly->y[i] == row) {
        lo = std::min<int64_t>(lo, poly->x[i]);
        hi = std::max<int64_t>(hi, poly->x[i]);
      }
    }
    for (int32_t k = 0; k < count; ++k) {
      if (row >= edges[k].y0 && row < edges[k].y1) edges[k].s.step();
    }
    const int64_t l = std::max<int64_t>(lo, 0), r = std::min(hi, right_edge);
    if (l > r) continue;
    std::fill(target->rows[row] + l, target->rows[row] + r + 1, colour);
  }
}

void poly_fill_at(int32_t x, int32_t y, const POLY* poly, uint16_t colour, BITMAP16* target) {
  if (poly == nullptr) return;
  POLY q = *poly;
  q.count = points(poly);
  for (int32_t i = 0; i <= q.count; ++i) {
    add(q.x[i], x);
    add(q.y[i], int64_t{y} - q.base[i]);
    q.base[i] = 0;
  }
  poly_convex_hull(&q);
  poly_fill(&q, colour, target);
}

void poly_fill_columns(const POLY* poly, uint16_t colour, BITMAP16* target) {
  const int32_t n = points(poly);
  if (n == 0) return;
  int32_t xmin = poly->x[0], xmax = poly->x[0], ymin = poly->y[0], ymax = poly->y[0];
  for (int32_t i = 1; i < n; ++i) {
    xmin = std::min(xmin, poly->x[i]), xmax = std::max(xmax, poly->x[i]);
    ymin = std::min(ymin, poly->y[i]), ymax = std::max(ymax, poly->y[i]);
  }
  // Only the target's columns can show a line.
  const int64_t last = target == nullptr ? -1 : std::min<int64_t>(xmax, int64_t{target->width} - 1);
  for (int64_t c = std::max<int64_t>(xmin, 0); c <= last; ++c) {
    int32_t x1 = int32_t(c), y1 = gfx16_clamp32(int64_t{ymin} - 1), x2 = int32_t(c), y2 = gfx16_clamp32(int64_t{ymax} + 1);
    if (poly_clip_segment(&x1, &y1, &x2, &y2, poly) == 3) gfx16_draw_line(x1, y1, x2, y2, colour, target);
  }
}

void poly_draw_post(int32_t x, int32_t y, int32_t height, BITMAP16* target) {
  const int32_t top = gfx16_clamp32(int64_t{y} - height);
  gfx16_draw_line(x, top, x, y, gfx16_colours[GFX16_WHITE], target);
  gfx16_put_pixel_clipped(x, y, gfx16_colours[GFX16_RED], target);
  gfx16_put_pixel_clipped(x, gfx16_clamp32((int64_t{y} + top) / 2), gfx16_colours[GFX16_YELLOW], target);
  gfx16_put_pixel_clipped(x, top, gfx16_colours[GFX16_GREEN], target);
}

void poly_draw_prism(int32_t x1, int32_t y1, int32_t h1, int32_t x2, int32_t y2, int32_t h2, BITMAP16* target) {
  poly_draw_post(x1, y1, h1, target);
  poly_draw_post(x2, y2, h2, target);
  gfx16_draw_line(x1, y1, x2, y2, gfx16_colours[GFX16_WHITE], target);
  gfx16_draw_line(x1, gfx16_clamp32(int64_t{y1} - h1), x2, gfx16_clamp32(int64_t{y2} - h2), gfx16_colours[GFX16_WHITE],
                  target);
}
