// Screenshots: the back bitmap saved as screenshots\CAP<seconds>.BMP in the working folder.
#include <cstdio>

#include "engine/system/system_state.h"
#include "graphics/bmp/bmp.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"

namespace {
// Enough for one name per frame of a long key press within one second.
constexpr int kMaxSuffix = 10000;
}  // namespace

void sys_save_screenshot() {
  SystemState& st = system_state();
  plat::Platform& p = plat::get();
  const long seconds = static_cast<long>(p.clock().wallTime());
  char path[sizeof(st.screenshot_path)];
  const size_t size = sizeof(path);
  std::snprintf(path, size, "%s\\screenshots\\CAP%ld.BMP", st.working_folder, seconds);
  // Two screenshots in one second would share a name and the first would be lost: the later
  // ones get "_2", "_3" and so on.
  for (int n = 2; n <= kMaxSuffix && p.files().exists(path); ++n) {
    std::snprintf(path, size, "%s\\screenshots\\CAP%ld_%d.BMP", st.working_folder, seconds, n);
  }
  // The path is what the player is told was saved: kept only when the file was written.
  if (bmp_save(screen_back, path) == 0) std::snprintf(st.screenshot_path, size, "%s", path);
  ++st.screenshot_count;
}

uint32_t sys_screenshot_count() { return system_state().screenshot_count; }
const char* sys_screenshot_path() { return system_state().screenshot_path; }
void sys_screenshot_path_clear() { system_state().screenshot_path[0] = 0; }
