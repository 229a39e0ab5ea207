#include "client/window/debug_hooks.h"

#include <vector>

#include "core/reset/module_resets.h"

namespace {

struct DebugHook {
  int32_t id;
  DebugHookFn fn;
  int64_t calls;
};

std::vector<DebugHook> g_hooks;

DebugHook* find(int32_t id) {
  for (DebugHook& h : g_hooks)
    if (h.id == id) return &h;
  return nullptr;
}

}  // namespace

int32_t debug_hook_add(int32_t hook_id, DebugHookFn fn) {
  if (find(hook_id)) return -2;
  g_hooks.push_back(DebugHook{hook_id, fn, 0});
  return 0;
}

void debug_hooks_run() {
  // By index: a hook may add another, which then runs this frame as the list's new tail.
  for (size_t i = 0; i < g_hooks.size(); ++i) {
    ++g_hooks[i].calls;
    if (DebugHookFn fn = g_hooks[i].fn) fn();
  }
}

int64_t debug_hook_calls(int32_t hook_id) {
  const DebugHook* h = find(hook_id);
  return h ? h->calls : -1;
}

void debug_hooks_reset() { g_hooks.clear(); }

static const ModuleReset k_reset("debug hooks", debug_hooks_reset);
