// Loading a record file for replay.
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "client/game/replay_state.h"
#include "client/game/session_state.h"
#include "client/handover/replay_controls.h"
#include "client/record/record.h"
#include "client/ui/message_box.h"
#include "plat/bytes.h"
#include "plat/platform.h"
#include "plat/tier0.h"

namespace {

// Reads entries until the end of the bytes, a bad tag or a damaged entry; the entries before
// it are kept. Payload lengths come from the file, so each is checked against what is left of
// it and against the link's frame cap before anything is kept.
void read_entries(plat::ByteReader& r) {
  while (!r.empty()) {
    if (r.remaining() < RECORD_HEAD_SIZE) return;  // a truncated head
    const RECORD_ENTRY head = record_head_read(r);
    if (head.tag != RECORD_TAG) {
      plat::get().debugOut("record erro\n");
      return;
    }
    if (head.length > RECORD_MAX_PAYLOAD || head.length > r.remaining()) return;
    replay_entries.append(
        REPLAY_ENTRY{head.time, head.code, head.arg, head.kind, head.length, static_cast<uint32_t>(r.position())});
    r.skip(head.length, "payload");
  }
}

}  // namespace

void record_load(const char* path) {
  if (!path) return;
  plat::IFileSystem& files = plat::get().files();
  std::unique_ptr<plat::File> f = files.open(path, "rb");
  if (!f) return;
  RECORD_STATE& s = record_state;
  std::memset(s.path, 0, sizeof s.path);
  std::strncpy(s.path, path, sizeof s.path - 1);
  if (!files.isDir("bmp")) files.mkdir("bmp");

  // Payload offsets are 32-bit: nothing past 4 GiB is read.
  const int64_t size = std::min<int64_t>(f->size(), std::numeric_limits<uint32_t>::max());
  std::vector<uint8_t> bytes(static_cast<size_t>(size > 0 ? size : 0));
  bytes.resize(bytes.empty() ? 0 : f->read(bytes.data(), bytes.size()));
  f.reset();
  if (bytes.size() < RECORD_ENTRIES_AT) {
    show_message_box("record file error", 1);
    return;
  }
  plat::ByteReader r(bytes.data(), bytes.size());
  r.skip(RECORD_LEAD_SIZE, "lead");
  const RECORD_HEADER header = record_header_read(r);
  if (header.format != RECORD_FORMAT) {
    show_message_box(header.version == RECORD_VERSION ? "record file error" : "record version error", 1);
    return;
  }
  // Older layouts are refused rather than converted: their field mapping is not known.
  if (header.version != RECORD_VERSION) {
    show_message_box("record version error", 1);
    return;
  }
  replay_entries_free();
  read_entries(r);
  replay_payloads = std::move(bytes);
  s.header = header;
  s.cursor = 0;
  if (replay_entries.count == 0) return;
  replaying = 1;
  s.base_time = plat::tier0::msTime() + s.capture_offset;
  s.start_time = replay_entries[0].time;
  replay_speed.store(1.0f, std::memory_order_relaxed);
  replay_progress_published.store(replay_progress_percent(), std::memory_order_relaxed);
  session_state_reset();
}
