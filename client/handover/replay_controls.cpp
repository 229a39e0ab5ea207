#include "client/handover/replay_controls.h"

#include "core/reset/module_resets.h"

std::atomic<int32_t> replay_running{1};
std::atomic<float> replay_speed{1.0f};
std::atomic<int32_t> speed_divisor{1};
std::atomic<int32_t> replay_progress_published{0};

void replay_controls_reset() {
  replay_running.store(1, std::memory_order_relaxed);
  replay_speed.store(1.0f, std::memory_order_relaxed);
  speed_divisor.store(1, std::memory_order_relaxed);
  replay_progress_published.store(0, std::memory_order_relaxed);
}

static const ModuleReset k_reset("replay controls", replay_controls_reset);
