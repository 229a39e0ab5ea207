// What the placeholders share: the per-id drop count and the first-arrival log line.
#include <cstring>
#include <unordered_map>

#include "client/net_msg/net_msg_table.h"
#include "client/net_msg/pending_handlers.h"
#include "core/reset/module_resets.h"
#include "engine/system/system.h"

namespace {
std::unordered_map<uint32_t, uint32_t> g_drops;
}  // namespace

void net_msg_pending_drop(uint32_t id, const char* handler_name) {
  // Once per id: a burst of position messages must not flood error.txt.
  if (g_drops[id]++ == 0) sys_log_printf(1, "net_msg %x %s: no handler yet", id, handler_name);
}

uint32_t net_msg_pending_drops(uint32_t id) {
  const auto it = g_drops.find(id);
  return it == g_drops.end() ? 0 : it->second;
}

std::vector<uint32_t> net_msg_pending_ids() {
  const std::vector<const char*> names = net_msg_pending_names();
  std::vector<uint32_t> ids;
  for (const NET_MSG_ROW& row : net_msg_table()) {
    if (row.kind != NetMsgKind::Handler) continue;
    for (const char* n : names)
      if (std::strcmp(n, row.name) == 0) {
        ids.push_back(row.id);
        break;
      }
  }
  return ids;
}

void net_msg_pending_reset() { g_drops.clear(); }

static const ModuleReset k_reset("pending drops", net_msg_pending_reset);
