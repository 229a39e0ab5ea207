// Recording: the file's start, entries appended one open-write-close at a time (a crash keeps
// everything written so far), the header's two times, and the mirror to the server.
#include <algorithm>
#include <cstring>
#include <memory>

#include "client/game/frame_input.h"
#include "client/net/net_link.h"
#include "client/record/record.h"
#include "client/settings/settings.h"
#include "client/ui/message_box.h"
#include "plat/bytes.h"
#include "plat/platform.h"

namespace {

void put_head(plat::ByteWriter& w, const RECORD_ENTRY& e, uint32_t length) {
  RECORD_ENTRY head = e;
  head.length = length;
  record_head_write(w, head);
}

bool write_all(plat::File& f, const uint8_t* data, size_t n) { return n == 0 || f.write(data, n) == n; }

void write_u32_at(plat::File& f, int64_t offset, uint32_t value) {
  plat::ByteWriter w;
  w.u32(value);
  if (f.seek(offset, 0)) write_all(f, w.data().data(), w.size());
}

// Writes the frame time into the header's first time (once per file) and last time.
void update_header(uint32_t now) {
  RECORD_STATE& s = record_state;
  std::unique_ptr<plat::File> f = plat::get().files().open(s.file_name, "rb+");
  if (!f) return;
  if (s.header.first_time == 0) {
    write_u32_at(*f, RECORD_FIRST_TIME_AT, now);
    s.header.first_time = now;
  }
  write_u32_at(*f, RECORD_LAST_TIME_AT, now);
  s.header.last_time = now;
  s.last_header_update = now;
}

}  // namespace

void record_start() {
  show_system_message("record saving", 0);
  plat::Platform& p = plat::get();
  plat::IFileSystem& files = p.files();
  if (!files.isDir("record")) files.mkdir("record");
  const int64_t now = p.clock().wallTime();
  const std::string name = record_file_name(now);
  std::unique_ptr<plat::File> f = files.open(name, "wb");
  if (!f) {
    record_state_reset();
    settings.record_play = 0;
    return;
  }
  // The creation time is 4 bytes on disk, whatever the width of the wall clock.
  const RECORD_HEADER header = {RECORD_FORMAT, RECORD_VERSION, static_cast<uint32_t>(now), 0, 0, {}};
  plat::ByteWriter w;
  w.zeros(RECORD_LEAD_SIZE);
  record_header_write(w, header);
  write_all(*f, w.data().data(), w.size());
  f.reset();
  std::memset(record_state.file_name, 0, sizeof record_state.file_name);
  std::memcpy(record_state.file_name, name.data(), std::min(name.size(), sizeof record_state.file_name - 1));
  record_state.header = header;
  record_state.header_update_primed = 0;
  replay_entries_free();
  record_state.recording = 1;
}

void record_write_entry(const RECORD_ENTRY& entry) {
  RECORD_STATE& s = record_state;
  if (!s.header_update_primed) {
    s.last_header_update = s.header.first_time;
    s.header_update_primed = 1;
  }
  if (entry.kind == RECORD_KIND_NONE) return;
  const uint32_t length = entry.payload ? entry.length : 0;
  if (s.mirror) {
    // Sized for this entry: a payload of any length fits.
    plat::ByteWriter w;
    put_head(w, entry, length);
    w.bytes(entry.payload, length);
    net_send_world(MSG_RECORD_MIRROR, 0, w.data().data(), static_cast<uint32_t>(w.size()));
  }
  if (!s.recording || s.file_name[0] == '\0') return;
  plat::IFileSystem& files = plat::get().files();
  if (std::unique_ptr<plat::File> f = files.open(s.file_name, "ab+")) {
    plat::ByteWriter w;
    put_head(w, entry, length);
    // A failed append loses the entry, nothing more.
    if (write_all(*f, w.data().data(), w.size())) write_all(*f, entry.payload, length);
  }
  const uint32_t now = frame_input.frame_time;
  if (now - s.last_header_update > RECORD_HEADER_UPDATE_MS) update_header(now);
}

void record_input_sample() {
  const FRAME_INPUT& in = frame_input;
  plat::ByteWriter w;
  record_sample_write(w, in);
  record_write_entry(RECORD_ENTRY{RECORD_TAG, in.frame_time, 0, 0, RECORD_KIND_INPUT,
                                  static_cast<uint32_t>(w.size()), w.data().data()});
}

void record_pick_event(uint32_t id) {
  record_write_entry(RECORD_ENTRY{RECORD_TAG, frame_input.frame_time, 0, id, RECORD_KIND_PICK, 0, nullptr});
}
