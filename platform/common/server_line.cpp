// The server line record, field by field.
#include "plat/handover.h"

namespace plat {

SERVER_LINE_RECORD readServerLine(ByteReader& r) {
  ByteReader rec = r.sub(SERVER_LINE_RECORD_SIZE, "server line");
  SERVER_LINE_RECORD out{};
  rec.copy(out.name, SERVER_LINE_NAME_SIZE, "name");
  // The gateway's name may fill all 64 bytes.
  out.name[SERVER_LINE_NAME_SIZE - 1] = 0;
  out.line_id = rec.i32("line id");
  out.address = rec.u32("address");
  out.port = rec.i32("port");
  out.load = rec.i32("load");
  out.available = rec.u8("available");
  rec.copy(out.pad, sizeof out.pad, "pad");
  return out;
}

void writeServerLine(ByteWriter& w, const SERVER_LINE_RECORD& rec) {
  w.bytes(rec.name, SERVER_LINE_NAME_SIZE);
  w.i32(rec.line_id);
  w.u32(rec.address);
  w.i32(rec.port);
  w.i32(rec.load);
  w.u8(rec.available);
  w.bytes(rec.pad, sizeof rec.pad);
}

}  // namespace plat
