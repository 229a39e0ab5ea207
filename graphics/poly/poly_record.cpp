// The 388-byte POLY record: one walk over its fields serves the reader and the writer.
#include "graphics/poly/poly.h"

namespace {

constexpr auto walkPoly = [](auto& p, auto& v) {
  v.i32(p.count);
  v.i32(p.kind);
  v.u8(p.min_x_index);
  v.u8(p.max_x_index);
  v.u8(p.min_y_index);
  v.u8(p.max_y_index);
  v.u8(p.min_top_index);
  v.u8(p.max_base_index);
  v.bytes(p.zero_bytes, sizeof p.zero_bytes);
  v.i32(p.zero_word);
  v.i32(p.centre_x);
  v.i32(p.centre_y);
  v.i32(p.base_height);
  v.i32(p.top_height);
  v.i32s(p.x, POLY_LIST_SIZE);
  v.i32s(p.y, POLY_LIST_SIZE);
  v.i32s(p.base, POLY_LIST_SIZE);
  v.i32s(p.top, POLY_LIST_SIZE);
  v.i32s(p.extra, POLY_LIST_SIZE);
  v.i32(p.top_a);
  v.i32(p.base_a);
  v.i32(p.top_b);
  v.i32(p.base_b);
  v.i32(p.top_c);
  v.i32(p.base_c);
  v.i32(p.top_d);
  v.i32(p.base_d);
};
static_assert(plat::walkMatchesLayout<POLY>(POLY_FIELDS, walkPoly));

}  // namespace

POLY poly_read(plat::ByteReader& r) {
  plat::ByteReader rec = r.sub(POLY_RECORD_SIZE, "POLY");
  POLY out{};
  plat::readFields(rec, POLY_FIELDS, out, walkPoly);
  return out;
}

void poly_write(plat::ByteWriter& w, const POLY& poly) { plat::writeFields(w, poly, walkPoly); }
