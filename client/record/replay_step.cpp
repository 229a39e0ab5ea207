// The replay step: once a frame while replaying, it hides the player's own input and feeds the
// next entry when the replay clock reaches it.
#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/handover/replay_controls.h"
#include "client/net/net_link.h"
#include "client/record/record.h"
#include "client/state/mouse_cursor.h"
#include "plat/bytes.h"
#include "plat/platform.h"

namespace {

void feed_input_sample(const REPLAY_ENTRY& e) {
  if (e.length < RECORD_SAMPLE_SIZE) return;
  plat::ByteReader r(replay_payloads.data() + e.payload_at, e.length);
  FRAME_INPUT& in = frame_input;
  record_sample_read(r, in);
  record_state.replay_mouse_x = in.raw_mouse_x;
  record_state.replay_mouse_y = in.raw_mouse_y;
}

const uint8_t* payload_of(const REPLAY_ENTRY& e) { return e.length ? replay_payloads.data() + e.payload_at : nullptr; }

void feed(const REPLAY_ENTRY& e) {
  switch (e.kind) {
    case RECORD_KIND_WORLD:
      if (record_dispatch.world) record_dispatch.world(e.code, static_cast<int32_t>(e.arg), payload_of(e), e.length, true);
      break;
    case RECORD_KIND_CHAT:
      if (record_dispatch.chat) record_dispatch.chat(e.code, static_cast<int32_t>(e.arg), payload_of(e), e.length, true);
      break;
    case RECORD_KIND_INPUT:
      feed_input_sample(e);
      break;
    case RECORD_KIND_PICK:
      // The give window that a pick opens comes with the items.
      record_state.picked_id = e.arg;
      set_mouse_cursor(0);
      break;
    default:
      break;
  }
}

// A message is not fed while its own dispatcher runs: a modal box opened by a handler runs frame
// steps, and live play never dispatches a second message on the same link from inside a first.
bool dispatcher_busy(const REPLAY_ENTRY& e) {
  return (e.kind == RECORD_KIND_WORLD && net_link.world_dispatching) ||
         (e.kind == RECORD_KIND_CHAT && net_link.chat_dispatching);
}

void publish_progress() { replay_progress_published.store(replay_progress_percent(), std::memory_order_relaxed); }

}  // namespace

void replay_step() {
  RECORD_STATE& s = record_state;
  // The last entry has been fed: the replay, and with it the process, ends. An emptied table
  // (a recording started meanwhile) only ends the replay.
  if (s.cursor >= replay_entries.count) {
    if (replay_entries.count == 0) {
      replaying = 0;
      return;
    }
    plat::get().process().exit(0);
  }
  FRAME_INPUT& in = frame_input;
  if (s.capture) in.frame_time -= s.capture_offset;
  if (!s.hold && in.key_code != '>') {
    in.event_code = 0;
    in.key_code = 0;
    in.scan_code = 0;
  }
  in.raw_mouse_x = s.replay_mouse_x;
  in.raw_mouse_y = s.replay_mouse_y;

  const uint32_t now = in.frame_time;
  // Signed and clamped: with capture on the base time can lie ahead of now, and an unsigned
  // difference would make every entry due at once.
  int64_t since = static_cast<int32_t>(now - s.base_time);
  if (since < 0) since = 0;
  const double clock = static_cast<double>(since) * replay_speed.load(std::memory_order_relaxed);
  const REPLAY_ENTRY& e = replay_entries[s.cursor];
  const double due = static_cast<int32_t>(e.time - s.start_time);
  const bool held = s.hold || replay_running.load(std::memory_order_relaxed) != 1;
  if (due <= clock && !held) {
    s.base_time = now + s.capture_offset;
    s.start_time = e.time;
    s.capture_offset = 0;
    if ((e.code == MSG_RECORD_WAIT_FOR_LOGIN && task_current_row < RECORD_LOGIN_ROW) || dispatcher_busy(e)) {
      publish_progress();
      return;
    }
    ++s.cursor;
    const REPLAY_ENTRY entry = e;  // the table may be freed by what the entry starts
    feed(entry);
    scene_redraw_flag = 1;
  }
  publish_progress();
}
