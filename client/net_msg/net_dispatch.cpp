// The world dispatcher: flags, recording, lookup and the guard around every handler.
//
// The guard stands in for a per-handler exception frame: a read past the payload
// (plat::MalformedInput) or any other std::exception in a handler is logged as
// "Except code : net_msg N,MSG: <id>,<arg>" and the message is dropped. It never catches
// everything: the test harness's control exceptions (frame budget, replaced exit) pass through.
#include "client/net_msg/net_dispatch.h"

#include <cstdio>
#include <exception>
#include <unordered_set>

#include "client/common/exception_log.h"
#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_msg_table.h"
#include "client/net_msg/pending_handlers.h"
#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "plat/platform.h"

namespace {

NetRecordWriter g_record_writer = record_write_entry;

// Ids in no row that have had their debug line. Bounded, so that a server sending ever new ids
// can neither grow it nor flood the output.
std::unordered_set<uint32_t> g_unknown_told;
bool g_unknown_quiet = false;

void tell_unknown(uint32_t id, int32_t arg, uint32_t len) {
  if (g_unknown_quiet || g_unknown_told.contains(id)) return;
  char line[128];
  if (g_unknown_told.size() >= NET_DISPATCH_UNKNOWN_IDS_TOLD) {
    g_unknown_quiet = true;
    std::snprintf(line, sizeof line, "net_msg: more than %u ids in no table row; the rest are dropped without a line",
                  NET_DISPATCH_UNKNOWN_IDS_TOLD);
  } else {
    g_unknown_told.insert(id);
    std::snprintf(line, sizeof line, "net_msg %x: id in no table row, dropped (argument %d, %u bytes)", id, arg, len);
  }
  plat::get().debugOut(line);
}

template <typename F>
void guarded(int site, uint32_t id, int32_t arg, F&& f) {
  try {
    f();
  } catch (const std::exception&) {
    exception_log_msg("net_msg", site, id, arg);
  }
}

// The login reply, the chat address, the character list and the mirror switch are never
// recorded.
bool recordable(uint32_t id) { return id != 0x20001 && id != 0x30004 && id != 0x30007 && id != MSG_RECORD_MIRROR; }

// Puts the world dispatch flag back to what it was, also when an exception passes. Restoring
// (not clearing) keeps an outer dispatch marked when a handler's nested frame loop dispatched a
// replayed message.
struct DispatchFlagScope {
  uint8_t saved;
  DispatchFlagScope() : saved(net_link.world_dispatching) { net_link.world_dispatching = 1; }
  ~DispatchFlagScope() { net_link.world_dispatching = saved; }
  DispatchFlagScope(const DispatchFlagScope&) = delete;
  DispatchFlagScope& operator=(const DispatchFlagScope&) = delete;
};

}  // namespace

int net_dispatch_message(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record) {
  const DispatchFlagScope busy;
  scene_redraw_flag = 1;
  const net_msg::Payload view(payload, len);

  // Before the lookup: ids outside the table are recorded too.
  if (!do_not_record && (record_state.recording || record_state.mirror) && recordable(id)) {
    record_state.first_message_recorded = 1;
    guarded(NET_MSG_SITE_RECORD, id, arg, [&] {
      g_record_writer(RECORD_ENTRY{RECORD_TAG, frame_input.frame_time, id, static_cast<uint32_t>(arg),
                                   RECORD_KIND_WORLD, view.size(), view.data()});
    });
  }

  const NET_MSG_ROW* row = net_msg_find(id);
  if (!row) {
    tell_unknown(id, arg, len);
    return 0;
  }
  if (row->kind == NetMsgKind::InlineUnguarded) {
    row->handler(id, arg, view);
  } else {
    guarded(NET_MSG_SITE_HANDLER, id, arg, [&] { row->handler(id, arg, view); });
  }
  return 0;
}

NetRecordWriter net_dispatch_set_record_writer(NetRecordWriter writer) {
  const NetRecordWriter old = g_record_writer;
  g_record_writer = writer ? writer : record_write_entry;
  return old;
}

void net_dispatch_reset() {
  g_record_writer = record_write_entry;
  g_unknown_told.clear();
  g_unknown_quiet = false;
  net_msg_table_reset();
  net_msg_pending_reset();
}

static const ModuleReset k_reset("world dispatcher", net_dispatch_reset);
