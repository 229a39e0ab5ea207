#include "client/state/broadcast_list.h"

#include "core/reset/module_resets.h"

GrowArray<BROADCAST_ENTRY> broadcast_list;

namespace {

int32_t find(uint32_t id) {
  for (int32_t i = 0; i < broadcast_list.count; ++i)
    if (broadcast_list.data[i].id == id) return i;
  return -1;
}

}  // namespace

void broadcast_list_store(const BROADCAST_ENTRY& entry) {
  const int32_t at = find(entry.id);
  if (at >= 0) {
    broadcast_list.data[at] = entry;
  } else {
    broadcast_list.append(entry);
  }
}

void broadcast_list_remove(uint32_t id) {
  const int32_t at = find(id);
  if (at >= 0) broadcast_list.remove(at);
}

static const ModuleReset k_reset("broadcast list", [] { broadcast_list.free(); });
