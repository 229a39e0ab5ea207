// Plane geometry over POLY records: builders, moving, containment and overlap tests, measures,
// planes, clipping, the convex hull, the diamond grid, snapping, the front/behind comparison and
// the filled drawing. Measures round by adding 0.5 and truncating; angles are in hundredths of a
// degree. Counts and extreme indices of a record read from a file are kept inside the lists
// before use, so no operation reads outside a record.
#pragma once
#include <cstdint>

#include "graphics/poly/poly.h"

struct BITMAP16;

// ---- records --------------------------------------------------------------------------------
POLY* poly_alloc();  // zeroed, or null
void poly_free(POLY* poly);
void poly_copy(POLY* dst, const POLY* src);  // nothing when either is null
void poly_clear(POLY* poly);                 // count, indices, centre, heights and lists to 0
void poly_set_kind(POLY* poly, int32_t kind);
int32_t poly_is_valid(const POLY* poly);  // 1 when non-null with at least 3 points
// Reads the top heights and changes nothing (kept for callers that walk them).
void poly_scan_top_heights(const POLY* poly);
// Recomputes the six extreme indices (first found wins ties).
void poly_update_extremes(POLY* poly);

// ---- builders -------------------------------------------------------------------------------
void poly_make_rect(POLY* poly, int32_t cx, int32_t cy, int32_t w, int32_t h);
void poly_make_diamond(POLY* poly, int32_t cx, int32_t cy, int32_t w, int32_t h);
void poly_make_ellipse(POLY* poly, int32_t cx, int32_t cy, int32_t rx, int32_t ry);
void poly_set_heights(POLY* poly, int32_t top, int32_t base);
enum : uint32_t { POLY_SET_X = 1, POLY_SET_Y = 2, POLY_SET_POINT_GIVEN_BASE = 4, POLY_ADD_POINT_GIVEN_BASE = 8 };
void poly_add_point(POLY* poly, int32_t x, int32_t y, int32_t base, int32_t top, uint32_t flags);
void poly_set_point(POLY* poly, int32_t i, int32_t x, int32_t y, int32_t base, uint32_t flags);
int32_t poly_plane_from_points(POLY* poly, int32_t i, int32_t j, int32_t k);  // 0, or -2

// ---- moving ---------------------------------------------------------------------------------
void poly_translate(POLY* poly, int32_t dx, int32_t dy, int32_t dz);
void poly_move_to(POLY* poly, int32_t x, int32_t y);
void poly_move_to_origin(POLY* poly);
void poly_offset(POLY* poly, int32_t dx, int32_t dy);
void poly_update_centre(POLY* poly);

// ---- tests ----------------------------------------------------------------------------------
int32_t poly_contains_point(int32_t x, int32_t y, const POLY* poly);
int32_t poly_contains_segment(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const POLY* poly);
int32_t poly_inside_poly(const POLY* a, const POLY* b);
int32_t segment_straddles(int32_t px1, int32_t py1, int32_t px2, int32_t py2, int32_t qx1, int32_t qy1,
                          int32_t qx2, int32_t qy2);
int32_t segments_cross(int32_t px1, int32_t py1, int32_t px2, int32_t py2, int32_t qx1, int32_t qy1, int32_t qx2,
                       int32_t qy2);
int32_t poly_overlap(const POLY* a, const POLY* b);
int32_t line_splits_poly(int32_t x1, int32_t y1, int32_t x2, int32_t y2, const POLY* poly);
int32_t poly_contains_point_base(const POLY* poly, int32_t x, int32_t y);
int32_t poly_contains_point_top(const POLY* poly, int32_t x, int32_t y);

// ---- measures -------------------------------------------------------------------------------
int32_t dist2d(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int32_t dist_point_line2d(int32_t x, int32_t y, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The angle between the vectors (x1, y1)->(x2, y2) and (x3, y3)->(x4, y4); 18000 when either is empty.
int32_t angle2d(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
struct PolyPoint3 {
  int32_t x, y, z;
};
int32_t dist3d(PolyPoint3 a, PolyPoint3 b);
int32_t dist_point_line3d(PolyPoint3 p, PolyPoint3 a, PolyPoint3 b);
int32_t angle3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2);
// Crossing of the lines through the two segments: 1 (and the rounded point) unless parallel.
int32_t lines_intersect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                        int32_t y4, int32_t* x, int32_t* y);
// The same with both parameters in 0 <= t < 1.
int32_t segments_intersect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4,
                           int32_t y4, int32_t* x, int32_t* y);
// Three-coordinate twins: the crossing in x and y, then 1 only when both lines' heights there agree.
int32_t lines_intersect3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2, PolyPoint3* out);
int32_t segments_intersect3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2, PolyPoint3* out);

// ---- planes ---------------------------------------------------------------------------------
struct PolyPlane {
  int32_t a, b, c, d;
};
PolyPlane plane_from_points(PolyPoint3 p1, PolyPoint3 p2, PolyPoint3 p3);
int32_t plane_point(PolyPoint3 p, PolyPoint3 q, PolyPlane plane, PolyPoint3* out);
void line_foot_point(PolyPoint3 p, PolyPoint3 a, PolyPoint3 b, PolyPoint3* out);
void plane_offset_point(PolyPoint3 p, PolyPlane plane, PolyPoint3* out);
int32_t dist_point_plane(PolyPoint3 p, PolyPlane plane);
int32_t line_line_dist3d(PolyPoint3 a1, PolyPoint3 a2, PolyPoint3 b1, PolyPoint3 b2);
// Nearest point of segment a-b to p; returns the rounded distance.
int32_t dist_point_segment3d(PolyPoint3 p, PolyPoint3 a, PolyPoint3 b, PolyPoint3* nearest);
// Each end of segment (p1, p2) within the limit of segment (q1, q2) is replaced by its nearest
// point on it; returns how many ends moved.
int32_t segment_closest_points3d(PolyPoint3* p1, PolyPoint3* p2, PolyPoint3 q1, PolyPoint3 q2, int32_t limit);
int32_t poly_base_height_at(const POLY* poly, int32_t x, int32_t y);
int32_t poly_screen_height_at(const POLY* poly, int32_t x, int32_t y);
int32_t poly_edge_value_at(const POLY* poly, int32_t i, int32_t x, int32_t y);

// ---- clipping, hull, grid, snapping ---------------------------------------------------------
int32_t poly_clip_segment(int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2, const POLY* poly);  // 0, 1 or 3
void poly_convex_hull(POLY* poly);
void diamond_cell_at(int32_t* x, int32_t* y, int32_t* column, int32_t* row, int32_t w, int32_t h);
int32_t poly_snap_cross(const POLY* poly, int32_t limit, int32_t a, int32_t b, int32_t* x, int32_t* y, int32_t* z,
                        int32_t ignored, PolyPoint3* corner1, PolyPoint3* corner2);
int32_t poly_snap_cross_tile(const POLY* poly, int32_t limit, int32_t* x, int32_t* y, int32_t* z, int32_t ignored,
                             PolyPoint3* corner1, PolyPoint3* corner2);
int32_t poly_snap_to_centre(int32_t* x, int32_t* y, int32_t* z, int32_t radius, const POLY* poly);  // 2, 1 or 0
int32_t poly_side_faces(const POLY* poly, int32_t x, int32_t y, int32_t* index);
int32_t poly_nearest_point(int32_t x, int32_t y, const POLY* poly);
void poly_widest_pair(int32_t x, int32_t y, const POLY* poly, int32_t* i, int32_t* j);

// ---- depth order ----------------------------------------------------------------------------
int32_t segments_depth(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2, int32_t bx1, int32_t by1, int32_t bx2,
                       int32_t by2);
int32_t poly_compare_depth(const POLY* a, int32_t ax, int32_t ay, int32_t az, const POLY* b, int32_t bx, int32_t by,
                           int32_t bz);

// ---- drawing --------------------------------------------------------------------------------
// Scan-line fill of a convex polygon: every pixel centre inside or on the outline, rows clipped
// to the target and columns to 0..width - 1.
void poly_fill(const POLY* poly, uint16_t colour, BITMAP16* target);
void poly_fill_at(int32_t x, int32_t y, const POLY* poly, uint16_t colour, BITMAP16* target);
// One clipped vertical line per column of the target between the smallest and largest point x.
void poly_fill_columns(const POLY* poly, uint16_t colour, BITMAP16* target);
void poly_draw_post(int32_t x, int32_t y, int32_t height, BITMAP16* target);
void poly_draw_prism(int32_t x1, int32_t y1, int32_t h1, int32_t x2, int32_t y2, int32_t h2, BITMAP16* target);
