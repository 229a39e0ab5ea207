// The server line record: one walk over its fields serves the reader and the writer.
#include "plat/handover.h"

namespace plat {

namespace {

constexpr auto walkServerLine = [](auto& rec, auto& v) {
  v.bytes(rec.name, SERVER_LINE_NAME_SIZE);
  v.i32(rec.line_id);
  v.u32(rec.address);
  v.i32(rec.port);
  v.i32(rec.load);
  v.u8(rec.available);
  v.bytes(rec.pad, sizeof rec.pad);
};
static_assert(walkMatchesLayout<SERVER_LINE_RECORD>(SERVER_LINE_FIELDS, walkServerLine));

}  // namespace

SERVER_LINE_RECORD readServerLine(ByteReader& r) {
  ByteReader rec = r.sub(SERVER_LINE_RECORD_SIZE, "server line");
  SERVER_LINE_RECORD out{};
  readFields(rec, SERVER_LINE_FIELDS, out, walkServerLine);
  // The gateway's name may fill all 64 bytes.
  out.name[SERVER_LINE_NAME_SIZE - 1] = 0;
  return out;
}

void writeServerLine(ByteWriter& w, const SERVER_LINE_RECORD& rec) {
  writeFields(w, rec, walkServerLine);
}

}  // namespace plat
