// Two POLY records as a cake chunk holds them, and a handful of coordinates, through every
// geometry operation and the fill: no record or position (counts and indices out of range,
// values at the ends of the 32-bit range) may read outside a record or overflow.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/poly/poly_geom.h"
#include "plat/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static BITMAP16* target = bitmap16_create(48, 32);
  if (size < 2 * POLY_RECORD_SIZE) return 0;
  plat::ByteReader r(data, size);
  POLY a = poly_read(r), b = poly_read(r);
  int32_t v[12] = {};
  for (int32_t& x : v) x = r.remaining() >= 4 ? r.i32() : 7;
  const int32_t x = v[0], y = v[1], z = v[2], w = v[3], h = v[4];
  PolyPoint3 p{v[0], v[1], v[2]}, q{v[3], v[4], v[5]}, s{v[6], v[7], v[8]}, t{v[9], v[10], v[11]};
  (void)poly_contains_point(x, y, &a);
  (void)poly_contains_segment(x, y, w, h, &a);
  (void)poly_inside_poly(&a, &b);
  (void)poly_overlap(&a, &b);
  (void)line_splits_poly(x, y, w, h, &a);
  (void)poly_contains_point_base(&a, x, y);
  (void)poly_contains_point_top(&a, x, y);
  (void)dist_point_line2d(x, y, z, w, h, v[5]);
  (void)angle3d(p, q, s, t);
  (void)segments_intersect3d(p, q, s, t, &p);
  (void)line_line_dist3d(p, q, s, t);
  const PolyPlane pl = plane_from_points(p, q, s);
  PolyPoint3 out{};
  plane_point(p, q, pl, &out);
  line_foot_point(p, q, s, &out);
  plane_offset_point(p, pl, &out);
  (void)dist_point_plane(t, pl);
  PolyPoint3 e1 = p, e2 = q;
  (void)segment_closest_points3d(&e1, &e2, s, t, v[6]);
  (void)poly_base_height_at(&a, x, y);
  (void)poly_screen_height_at(&a, x, y);
  (void)poly_edge_value_at(&a, v[5] & 15, x, y);
  int32_t x1 = x, y1 = y, x2 = w, y2 = h;
  (void)poly_clip_segment(&x1, &y1, &x2, &y2, &a);
  int32_t cx = x, cy = y, col = 0, row = 0;
  diamond_cell_at(&cx, &cy, &col, &row, w, h);
  int32_t sx = x, sy = y, sz = z;
  PolyPoint3 c1{}, c2{};
  (void)poly_snap_cross(&a, v[5], w, h, &sx, &sy, &sz, 0, &c1, &c2);
  (void)poly_snap_to_centre(&sx, &sy, &sz, v[6], &a);
  int32_t index = 0, i = 0, j = 0;
  (void)poly_side_faces(&a, x, y, &index);
  (void)poly_nearest_point(x, y, &a);
  poly_widest_pair(x, y, &a, &i, &j);
  (void)poly_compare_depth(&a, x, y, z, &b, w, h, v[5]);
  poly_fill_at(v[6] % 100, v[7] % 100, &a, 0x1234, target);
  poly_fill_columns(&b, 0x4321, target);
  POLY c = a;
  poly_add_point(&c, x, y, z, w, static_cast<uint32_t>(h));
  poly_set_point(&c, v[5], x, y, z, static_cast<uint32_t>(w));
  (void)poly_plane_from_points(&c, v[6] & 15, v[7] & 15, v[8] & 15);
  poly_translate(&c, x, y, z);
  poly_move_to(&c, w, h);
  poly_update_centre(&c);
  poly_convex_hull(&c);
  poly_make_ellipse(&c, x, y, w, h);
  poly_make_rect(&c, x, y, w, h);
  poly_make_diamond(&c, x, y, w, h);
  poly_set_heights(&c, z, w);
  return 0;
}
