// Per-frame debug overlays (the hidden debug commands register them); the game main task runs
// them once a frame after the normal window list.
#pragma once
#include <cstdint>

using DebugHookFn = void (*)();

// Appends the hook; 0, or -2 when the id is present already.
int32_t debug_hook_add(int32_t hook_id, DebugHookFn fn);
// Calls every hook in the order added and counts its calls.
void debug_hooks_run();
// How many times the hook ran, or -1 when no hook has the id.
int64_t debug_hook_calls(int32_t hook_id);
// Tests only: no hooks.
void debug_hooks_reset();
