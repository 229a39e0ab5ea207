// The frame-rate counter and the small random generator.
#include <mutex>

#include "engine/system/system_state.h"
#include "plat/platform.h"

// The rate changes about once a second; the call after an update opens the next window.
uint32_t sys_get_fps() {
  SystemState& st = system_state();
  const uint32_t now = plat::get().clock().ms();
  ++st.fps_count;
  if (!st.fps_running) {
    st.fps_window_start = now;
    st.fps_running = 1;
  } else {
    const uint32_t elapsed = now - st.fps_window_start;  // the clock wraps: unsigned
    if (elapsed > 1000) {
      st.fps_rate = st.fps_count * 1000u / elapsed;
      st.fps_running = 0;
      st.fps_count = 0;
    }
  }
  return st.fps_rate;
}

// Seed = 2 * s + 1 with s the seconds of the current time.
void sys_random_seed_from_clock() {
  const int64_t now = plat::get().clock().wallTime();
  const int32_t s = static_cast<int32_t>(((now % 60) + 60) % 60);
  std::lock_guard lock(system_seed_mutex());
  system_state().seed = 2 * s + 1;
}

int sys_random() {
  SystemState& st = system_state();
  if (!(st.flags & SYS_FLAG_INITIALISED)) return 0;
  std::lock_guard lock(system_seed_mutex());
  st.seed = static_cast<int32_t>((static_cast<int64_t>(st.seed) * 5) % 131072);
  return st.seed / 4;
}
