// Until the macro system is built, raised events are kept for the tests that look for them.
#include <vector>

#include "core/reset/module_resets.h"
#include "social/macro/macro_system.h"

namespace {
std::vector<MACRO_EVENT_RECORD> g_events;
void macro_events_reset() { g_events.clear(); }
const ModuleReset k_reset("macro events", macro_events_reset);
}  // namespace

void macro_raise_event(int32_t event, int32_t arg) {
  if (g_events.size() < 4096) g_events.push_back({event, arg});
}

const MACRO_EVENT_RECORD* macro_raised_events(int32_t* count) {
  if (count) *count = static_cast<int32_t>(g_events.size());
  return g_events.data();
}
