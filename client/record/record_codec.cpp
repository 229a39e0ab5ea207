// The record file's header, entry head and input sample: one walk over each record's fields
// serves both directions, and each walk is checked against its field table when compiling.
#include "client/record/record.h"

namespace {

constexpr auto walk_header = [](auto& h, auto& v) {
  v.zeros(19);
  v.u8(h.format);
  v.u32(h.version);
  v.u32(h.created);
  v.u32(h.first_time);
  v.u32(h.last_time);
  v.bytes(h.server_name, sizeof h.server_name);
  v.zeros(281);
};
static_assert(plat::walkMatchesLayout<RECORD_HEADER>(RECORD_HEADER_FIELDS, walk_header));

constexpr auto walk_head = [](auto& e, auto& v) {
  v.u32(e.tag);
  v.u32(e.time);
  v.u32(e.code);
  v.u32(e.arg);
  v.u32(e.kind);
  v.u32(e.length);
};
static_assert(plat::walkMatchesLayout<RECORD_ENTRY>(RECORD_HEAD_FIELDS, walk_head));

constexpr auto walk_sample = [](auto& in, auto& v) {
  v.i32(in.raw_mouse_x);
  v.i32(in.raw_mouse_y);
  v.i32(in.mouse_x);
  v.i32(in.mouse_y);
  v.u8(in.event_code);
  v.u8(in.key_code);
  v.u8(in.scan_code);
  v.u8(in.alt_down);
  v.u8(in.ctrl_down);
  v.zeros(3);
};
static_assert(plat::walkMatchesLayout<FRAME_INPUT>(RECORD_SAMPLE_FIELDS, walk_sample));

}  // namespace

void record_header_write(plat::ByteWriter& w, const RECORD_HEADER& header) {
  plat::writeFields(w, header, walk_header);
}

RECORD_HEADER record_header_read(plat::ByteReader& r) {
  RECORD_HEADER header{};
  plat::readFields(r, RECORD_HEADER_FIELDS, header, walk_header);
  return header;
}

void record_head_write(plat::ByteWriter& w, const RECORD_ENTRY& head) {
  plat::writeFields(w, head, walk_head);
}

RECORD_ENTRY record_head_read(plat::ByteReader& r) {
  RECORD_ENTRY head{};
  plat::readFields(r, RECORD_HEAD_FIELDS, head, walk_head);
  return head;
}

void record_sample_write(plat::ByteWriter& w, const FRAME_INPUT& in) {
  plat::writeFields(w, in, walk_sample);
}

void record_sample_read(plat::ByteReader& r, FRAME_INPUT& in) {
  plat::readFields(r, RECORD_SAMPLE_FIELDS, in, walk_sample);
}
