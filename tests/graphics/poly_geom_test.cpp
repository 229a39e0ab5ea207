// Polygon geometry: the tests, builders, planes, hull, grid, depth order and the scan-line fill
// against a per-pixel reference. With VELDRA_TEST_DUMP=<folder> Poly.Sheet writes poly_sheet.ppm.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "graphics/poly/poly_geom.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/primitives/gfx16_lines.h"
#include "tests/graphics/owned_bitmap.h"
#include "tests/support/ppm_dump.h"

namespace {

POLY from_points(std::initializer_list<std::pair<int32_t, int32_t>> pts) {
  POLY p{};
  for (const auto& [x, y] : pts) poly_add_point(&p, x, y, 0, 0, POLY_SET_X | POLY_SET_Y | POLY_ADD_POINT_GIVEN_BASE);
  poly_update_extremes(&p);
  return p;
}

// Closed convex test on a point, independent of the record's extreme indices.
bool inside_reference(const POLY& p, int64_t x, int64_t y) {
  bool pos = false, neg = false;
  for (int i = 0; i < p.count; ++i) {
    const int j = (i + 1) % p.count;
    const int64_t c = (int64_t{p.x[j]} - p.x[i]) * (y - p.y[i]) - (int64_t{p.y[j]} - p.y[i]) * (x - p.x[i]);
    pos |= c > 0, neg |= c < 0;
  }
  return !(pos && neg);
}

const POLY& two_points() {
  static const POLY p = from_points({{0, 0}, {10, 10}});
  return p;
}

uint64_t frame_hash(const BITMAP16* b) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t y = 0; y < b->height; ++y) {
    for (uint32_t x = 0; x < b->width; ++x) h = (h ^ b->rows[y][x]) * 1099511628211ull;
  }
  return h;
}

TEST(Poly, ContainmentCountsEdgesAndNeedsThreePoints) {
  POLY square{};
  poly_make_rect(&square, 50, 50, 10, 10);
  EXPECT_EQ(poly_contains_point(50, 50, &square), 1);
  EXPECT_EQ(poly_contains_point(40, 45, &square), 1) << "a point on an edge is inside";
  EXPECT_EQ(poly_contains_point(60, 60, &square), 1) << "a corner is inside";
  EXPECT_EQ(poly_contains_point(61, 50, &square), 0);
  EXPECT_EQ(poly_contains_point(50, 39, &square), 0);

  POLY two = from_points({{0, 0}, {10, 10}});
  EXPECT_EQ(poly_contains_point(5, 5, &two), 0);

  // A record from a file with a count beyond its lists and extreme indices past them reads
  // nothing outside the record.
  POLY bad = square;
  bad.count = 1000;
  bad.min_x_index = 200;
  bad.max_y_index = 255;
  (void)poly_contains_point(50, 50, &bad);
  poly_convex_hull(&bad);
  EXPECT_LE(bad.count, 15);
}

TEST(Poly, AddPointStopsAtFifteenAndClosesTheLists) {
  POLY p{};
  poly_set_heights(&p, 40, 6);
  poly_add_point(&p, 3, 4, 0, 40, POLY_SET_X | POLY_SET_Y);
  EXPECT_EQ(p.count, 1);
  EXPECT_EQ(p.base[0], 6) << "the base plane gives the height";
  poly_add_point(&p, 5, 6, 9, 40, POLY_SET_X | POLY_SET_Y | POLY_ADD_POINT_GIVEN_BASE);
  EXPECT_EQ(p.base[1], 9);
  EXPECT_EQ(p.x[2], 3) << "the closing entry repeats point 0";
  EXPECT_EQ(p.y[2], 4);
  for (int i = 2; i < 15; ++i) poly_add_point(&p, i, i, 0, 0, POLY_SET_X | POLY_SET_Y);
  ASSERT_EQ(p.count, 15);
  const POLY before = p;
  poly_add_point(&p, 99, 99, 0, 0, POLY_SET_X | POLY_SET_Y);
  EXPECT_EQ(std::memcmp(&before, &p, sizeof p), 0);
}

TEST(Poly, BuildersSetPointsAndExtremes) {
  POLY r{};
  poly_make_rect(&r, 10, 20, 3, 2);
  EXPECT_EQ(r.count, 4);
  EXPECT_EQ(r.kind, 3);
  const int32_t rx[] = {7, 7, 13, 13, 7}, ry[] = {18, 22, 22, 18, 18};
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(std::make_pair(r.x[i], r.y[i]), std::make_pair(rx[i], ry[i])) << i;
  EXPECT_EQ((std::array<int, 4>{r.min_x_index, r.max_x_index, r.min_y_index, r.max_y_index}),
            (std::array<int, 4>{0, 2, 3, 1}));
  EXPECT_EQ((std::array<int32_t, 4>{r.base_a, r.base_b, r.base_c, r.base_d}), (std::array<int32_t, 4>{0, 0, 1, 0}));

  POLY e{};
  poly_make_ellipse(&e, 100, 100, 40, 20);
  EXPECT_EQ(e.count, 12);
  EXPECT_EQ(e.x[0], 60);
  EXPECT_EQ(e.x[6], 140);
  EXPECT_EQ(e.y[3], 80) << "point 3 is the top";
  EXPECT_EQ(e.y[9], 120);
  EXPECT_EQ((std::array<int, 4>{e.min_x_index, e.max_x_index, e.min_y_index, e.max_y_index}),
            (std::array<int, 4>{0, 6, 3, 9}));
  // The box check uses the extremes: the ellipse's own centre is inside it.
  EXPECT_EQ(poly_contains_point(100, 100, &e), 1);

  POLY d{};
  poly_make_diamond(&d, 0, 0, 20, 10);
  EXPECT_EQ(poly_contains_point(10, 5, &d), 1);
  EXPECT_EQ(poly_contains_point(11, 5, &d), 0);
}

TEST(Poly, MeasuresRoundByAddingAHalf) {
  EXPECT_EQ(angle2d(0, 0, 10, 0, 0, 0, 0, 10), 9000);
  EXPECT_EQ(angle2d(0, 0, 10, 0, 0, 0, -10, 0), 18000);
  EXPECT_EQ(angle2d(0, 0, 0, 0, 0, 0, 5, 5), 18000) << "an empty vector";
  EXPECT_EQ(angle2d(0, 0, 10, 0, 0, 0, 10, 10), 4500);
  EXPECT_EQ(dist2d(0, 0, 3, 4), 5);
  EXPECT_EQ(dist2d(0, 0, 1, 1), 1);
  EXPECT_EQ(dist_point_line2d(0, 5, -10, 0, 10, 0), 5);
  EXPECT_EQ(dist3d({0, 0, 0}, {2, 3, 6}), 7);
  int32_t x = 0, y = 0;
  EXPECT_EQ(lines_intersect(0, 0, 10, 10, 0, 10, 10, 0, &x, &y), 1);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(5, 5));
  EXPECT_EQ(lines_intersect(0, 0, 10, 0, 0, 1, 10, 1, &x, &y), 0) << "parallel";
  EXPECT_EQ(segments_intersect(0, 0, 4, 0, 5, -1, 5, 1, &x, &y), 0) << "the crossing lies past the end";
  EXPECT_EQ(segments_intersect(0, 0, 10, 0, 5, 0, 5, 5, &x, &y), 1) << "t = 0 on the second counts";
  EXPECT_EQ(segments_intersect(0, 0, 10, 0, 5, 5, 5, 0, &x, &y), 0) << "t = 1 does not";
  PolyPoint3 p{};
  EXPECT_EQ(lines_intersect3d({0, 0, 5}, {10, 0, 5}, {5, -5, 0}, {5, 5, 10}, &p), 1);
  EXPECT_EQ(p.z, 5);
  EXPECT_EQ(lines_intersect3d({0, 0, 6}, {10, 0, 6}, {5, -5, 0}, {5, 5, 10}, &p), 0) << "heights disagree";
  EXPECT_EQ(line_line_dist3d({0, 0, 0}, {10, 0, 0}, {0, 0, 7}, {0, 10, 7}), 7);
  EXPECT_EQ(line_line_dist3d({0, 0, 0}, {10, 0, 0}, {0, 3, 4}, {10, 3, 4}), 5) << "parallel";
}

TEST(Poly, PlanesAreReducedAndCollinearPointsGiveNone) {
  const PolyPlane flat = plane_from_points({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
  EXPECT_EQ((std::array<int32_t, 4>{flat.a, flat.b, flat.c, flat.d}), (std::array<int32_t, 4>{0, 0, 0, 0}));
  // Normal (-6, -6, 6), d = 12: all four share 6.
  const PolyPlane pl = plane_from_points({2, 0, 0}, {0, 2, 0}, {0, 0, -2});
  EXPECT_EQ(pl.a * 2 + pl.d, 0);
  EXPECT_EQ(std::abs(pl.a), 1);
  EXPECT_EQ(std::abs(pl.d), 2);
  // A zero in the plane keeps the others as they are (math_gcd gives 1 for a zero).
  const PolyPlane level = plane_from_points({0, 0, 3}, {4, 0, 3}, {0, 4, 3});
  EXPECT_EQ((std::array<int32_t, 4>{level.a, level.b, level.c, level.d}), (std::array<int32_t, 4>{0, 0, 16, -48}));
  PolyPoint3 out{};
  EXPECT_EQ(plane_point({0, 0, 10}, {0, 0, -10}, level, &out), 1);
  EXPECT_EQ(out.z, 3);
  line_foot_point({5, 5, 0}, {0, 0, 0}, {10, 0, 0}, &out);
  EXPECT_EQ((std::array<int32_t, 3>{out.x, out.y, out.z}), (std::array<int32_t, 3>{5, 0, 0}));
  EXPECT_EQ(dist_point_plane({1, 1, 10}, {0, 0, 1, -3}), 7);
  EXPECT_EQ(dist_point_plane({3, 4, 0}, {0, 0, 0, 0}), 5);
}

TEST(Poly, HullOfASquareDropsTheInnerPoint) {
  POLY p = from_points({{5, 5}, {0, 0}, {10, 0}, {3, 4}, {10, 10}, {0, 10}});
  p.extra[0] = 77;  // the inner point's fifth value goes with it
  p.extra[5] = 55;
  poly_convex_hull(&p);
  ASSERT_EQ(p.count, 4);
  EXPECT_EQ(std::make_pair(p.x[0], p.y[0]), std::make_pair(0, 10)) << "smallest x, larger y";
  EXPECT_EQ(p.extra[0], 55);
  for (int i = 0; i < 4; ++i) EXPECT_NE(p.extra[i], 77);
  EXPECT_EQ(std::make_pair(p.x[4], p.y[4]), std::make_pair(p.x[0], p.y[0]));
  EXPECT_EQ(p.min_x_index, 0);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(p.x[i] == 0 || p.x[i] == 10) << i;
}

TEST(Poly, DiamondCellPicksEachCandidate) {
  // Tiles 40 x 20: base point (c0 x 40, 10 x r0).
  struct Case {
    int32_t x, y, column, row, cell_x, cell_y;
  } cases[] = {
      {40, 20, 1, 2, 40, 10},    // the centre diamond
      {22, 11, 0, 1, 20, 0},     // up-left
      {58, 11, 1, 1, 60, 0},     // up-right
      {22, 29, 0, 3, 20, 20},    // down-left
      {58, 29, 1, 3, 60, 20},    // down-right
  };
  for (const Case& c : cases) {
    int32_t x = c.x, y = c.y, col = -9, row = -9;
    diamond_cell_at(&x, &y, &col, &row, 40, 20);
    EXPECT_EQ((std::array<int32_t, 4>{col, row, x, y}), (std::array<int32_t, 4>{c.column, c.row, c.cell_x, c.cell_y}))
        << c.x << "," << c.y;
  }
  int32_t x = 5, y = 5, col = -9, row = -9;
  diamond_cell_at(&x, &y, &col, &row, 0, 20);
  EXPECT_EQ((std::array<int32_t, 4>{x, y, col, row}), (std::array<int32_t, 4>{5, 5, -9, -9}));
}

TEST(Poly, CompareDepth) {
  POLY a{}, b{};
  poly_make_rect(&a, 0, 0, 10, 5);
  poly_make_rect(&b, 0, 0, 10, 5);
  EXPECT_EQ(poly_compare_depth(&a, 100, 100, 0, &b, 100, 100, 0), 0) << "identical placements";
  struct Case {
    int32_t ax, ay, az, bx, by, bz, want;
    const char* why;
  } cases[] = {
      {100, 100, 0, 100, 100, 4, 1, "overlapping, a on the ground"},
      {100, 100, 4, 100, 100, 0, 2, "overlapping, b on the ground"},
      {100, 100, 2, 100, 100, 6, 1, "both raised: smaller z first"},
      {100, 104, 3, 100, 100, 3, 2, "same z: larger y for a gives 2"},
      {95, 100, 3, 100, 100, 3, 1, "same z and y: smaller x gives 1"},
      {100, 100, 0, 100, 130, 0, 1, "apart: b lies below a"},
      {100, 130, 0, 100, 100, 0, 2, "apart: a lies below b"},
      {0, 50, 0, 200, 60, 0, 1, "x ranges apart: smaller minimum y"},
      {200, 60, 0, 0, 50, 0, 2, "x ranges apart, the other way"},
      {0, 50, 0, 200, 50, 0, 1, "equal minima: smaller x sum"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(poly_compare_depth(&a, c.ax, c.ay, c.az, &b, c.bx, c.by, c.bz), c.want) << c.why;
  }
  // Crossing segments with overlapping x ranges give 0.
  EXPECT_EQ(segments_depth(0, 0, 100, 40, 0, 40, 100, 0), 0);
  EXPECT_EQ(segments_depth(0, 0, 100, 10, 0, 20, 100, 30), 1);
  EXPECT_EQ(segments_depth(0, 20, 100, 30, 0, 0, 100, 10), 2);
}

TEST(Poly, SnapAndSearches) {
  POLY p{};
  poly_make_rect(&p, 50, 50, 10, 10);
  poly_set_heights(&p, 30, 5);
  int32_t x = 51, y = 44, z = 0;
  EXPECT_EQ(poly_snap_to_centre(&x, &y, &z, 4, &p), 2) << "(51, 44) is within 4 of (50, 45)";
  EXPECT_EQ((std::array<int32_t, 3>{x, y, z}), (std::array<int32_t, 3>{50, 50, 5}));
  x = 50, y = 20, z = 0;
  EXPECT_EQ(poly_snap_to_centre(&x, &y, &z, 4, &p), 1);
  EXPECT_EQ(z, 30);
  x = 0, y = 0, z = 0;
  EXPECT_EQ(poly_snap_to_centre(&x, &y, &z, 4, &p), 0);
  EXPECT_EQ(poly_nearest_point(41, 41, &p), 0);
  POLY far = p;
  poly_translate(&far, 5000, 0, 0);
  EXPECT_EQ(poly_nearest_point(0, 0, &far), -1) << "nothing nearer than the search bound";
  int32_t i = -2, j = -2;
  poly_widest_pair(50, 70, &p, &i, &j);
  EXPECT_TRUE((i == 1 && j == 2)) << i << "," << j << ": the two nearest corners";
  // Overlap, clipping and splitting.
  POLY q{};
  poly_make_rect(&q, 65, 50, 10, 2);
  EXPECT_EQ(poly_overlap(&p, &q), 1);
  poly_offset(&q, 40, 0);
  EXPECT_EQ(poly_overlap(&p, &q), 0);
  int32_t x1 = 50, y1 = 0, x2 = 50, y2 = 100;
  EXPECT_EQ(poly_clip_segment(&x1, &y1, &x2, &y2, &p), 3);
  EXPECT_EQ((std::array<int32_t, 4>{x1, std::min(y1, y2), x2, std::max(y1, y2)}), (std::array<int32_t, 4>{50, 40, 50, 60}));
  x1 = 0, y1 = 0, x2 = 0, y2 = 100;
  EXPECT_EQ(poly_clip_segment(&x1, &y1, &x2, &y2, &p), 0);
}

TEST(Poly, SnapCrossSideFacesAndColumns) {
  POLY p{};
  poly_make_rect(&p, 50, 50, 10, 10);
  // Diagonals through (42, 43): corner (40, 40) lies 2 from the first and 4 from the second.
  struct Case {
    int32_t limit, bits, x, y;
  } cases[] = {{5, 3, 40, 40}, {3, 1, 44, 42}, {1, 0, 42, 43}};
  for (const Case& c : cases) {
    int32_t x = 42, y = 43, z = 0;
    PolyPoint3 c1{-1, -1, -1}, c2{-1, -1, -1};
    EXPECT_EQ(poly_snap_cross_tile(&p, c.limit, &x, &y, &z, 0, &c1, &c2), c.bits) << c.limit;
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.x, c.y)) << c.limit;
    if (c.bits & 1) {
      EXPECT_EQ(std::make_pair(c1.x, c1.y), std::make_pair(40, 40));
    }
    if (!(c.bits & 2)) {
      EXPECT_EQ(c2.x, -1) << "no second corner";
    }
  }

  poly_set_heights(&p, 0, 10);
  int32_t index = -1;
  EXPECT_EQ(poly_side_faces(&p, 50, 55, &index), 1);
  EXPECT_EQ(index, 1) << "the face under the bottom edge";
  EXPECT_EQ(poly_side_faces(&p, 50, 45, &index), 0);

  POLY r{};
  poly_make_rect(&r, 5, 4, 3, 2);
  gfxt::Bitmap t = gfxt::make_bitmap(12, 10, 0);
  poly_fill_columns(&r, 9, t.get());
  for (int32_t x = 3; x <= 7; ++x) {
    for (int32_t y = 0; y < 10; ++y) EXPECT_EQ(t->rows[y][x], (y >= 2 && y <= 6) ? 9 : 0) << x << "," << y;
  }
  // Far columns are not walked one by one.
  POLY wide{};
  poly_make_rect(&wide, 0, 4, INT32_MAX / 2, 2);
  poly_fill_columns(&wide, 9, t.get());

  // Heights from the plane through points 0, 1 and 2.
  POLY slope = from_points({{0, 0}, {10, 0}, {0, 10}});
  slope.base[0] = 0, slope.base[1] = 10, slope.base[2] = 0;
  EXPECT_EQ(poly_base_height_at(&slope, 5, 3), 5);
  EXPECT_EQ(poly_base_height_at(&two_points(), 5, 3), 0);
}

// Random convex polygons on an ellipse (corners at least 24 degrees apart), placed inside and
// across each edge of the target: the fill covers exactly the pixels whose centres the closed
// polygon holds.
TEST(Poly, FillMatchesThePointInPolygonReference) {
  std::mt19937 rng(1234);
  const int32_t W = 64, H = 48;
  for (int round = 0; round < 200; ++round) {
    const int n = 3 + static_cast<int>(rng() % 12);
    const int32_t cx = static_cast<int32_t>(rng() % 100) - 18, cy = static_cast<int32_t>(rng() % 80) - 16;
    const double rx = 4 + rng() % 30, ry = 4 + rng() % 30;
    POLY p{};
    double angle = (rng() % 360) * 3.14159265 / 180;
    for (int k = 0; k < n; ++k) {
      angle += 2 * 3.14159265 / n * (0.8 + 0.2 * (rng() % 100) / 100.0);
      poly_add_point(&p, static_cast<int32_t>(std::lround(rx * std::cos(angle))),
                     static_cast<int32_t>(std::lround(ry * std::sin(angle))), static_cast<int32_t>(rng() % 4), 0,
                     POLY_SET_X | POLY_SET_Y | POLY_ADD_POINT_GIVEN_BASE);
    }
    gfxt::Bitmap target = gfxt::make_bitmap(W, H, 0);
    poly_fill_at(cx, cy, &p, 0xFFFF, target.get());
    // The reference works on the placed, lowered and hulled outline.
    POLY placed = p;
    for (int k = 0; k <= p.count; ++k) placed.x[k] += cx, placed.y[k] += cy - placed.base[k], placed.base[k] = 0;
    poly_convex_hull(&placed);
    for (int32_t y = 0; y < H; ++y) {
      for (int32_t x = 0; x < W; ++x) {
        const bool want = placed.count >= 3 ? inside_reference(placed, x, y) : false;
        if (placed.count < 3) continue;  // degenerate outlines are checked by the bounds only
        ASSERT_EQ(target->rows[y][x] == 0xFFFF, want) << "round " << round << " at " << x << "," << y;
      }
    }
  }
}

TEST(Poly, FillClipsAndSkipsEmptyTargets) {
  POLY p{};
  poly_make_rect(&p, 0, 0, 1000, 1000);
  gfxt::Bitmap t = gfxt::make_bitmap(16, 8, 0);
  poly_fill_at(0, 0, &p, 7, t.get());
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 16; ++x) ASSERT_EQ(t->rows[y][x], 7);
  poly_make_rect(&p, INT32_MAX - 5, INT32_MAX - 5, 3, 3);  // far away: nothing, no overflow trap
  gfxt::Bitmap u = gfxt::make_bitmap(16, 8, 0);
  poly_fill(&p, 7, u.get());
  EXPECT_EQ(u->rows[0][0], 0);
  poly_fill_at(0, 0, &p, 7, nullptr);
}

TEST(Poly, Sheet) {
  pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
  gfx16_init_colours();
  gfxt::Bitmap sheet = gfxt::make_bitmap(240, 120, 0);
  const uint16_t colours[] = {0xF800, 0x07E0, 0x001F, 0xFFE0, 0x07FF, 0xF81F};
  POLY shapes[6]{};
  poly_make_rect(&shapes[0], 0, 0, 25, 15);
  poly_make_diamond(&shapes[1], 0, 0, 30, 18);
  poly_make_ellipse(&shapes[2], 0, 0, 28, 20);
  shapes[3] = from_points({{-20, -15}, {25, -20}, {30, 10}, {0, 22}, {-28, 5}});
  poly_make_ellipse(&shapes[4], 0, 0, 20, 10);
  poly_set_heights(&shapes[4], 0, 12);
  poly_make_rect(&shapes[5], 0, 0, 40, 40);
  for (int i = 0; i < 6; ++i) {
    const int32_t x = 40 + (i % 3) * 80, y = 30 + (i / 3) * 60;
    poly_fill_at(x, y, &shapes[i], colours[i], sheet.get());
    POLY outline = shapes[i];
    poly_offset(&outline, x, y);
    for (int k = 0; k < outline.count; ++k) {
      gfx16_draw_line(outline.x[k], outline.y[k], outline.x[k + 1], outline.y[k + 1], 0xFFFF, sheet.get());
    }
  }
  poly_draw_prism(200, 110, 20, 230, 100, 30, sheet.get());
  veldra_test::dumpPpm("poly_sheet.ppm", sheet.get());
  EXPECT_EQ(frame_hash(sheet.get()), 7685035498361581690u);
}

}  // namespace
