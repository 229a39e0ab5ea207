// SYSTEM's hooks: the working folder, a fresh error.txt and the system information lines.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/reset/module_resets.h"
#include "engine/system/system_state.h"
#include "graphics/cpu/cpu.h"
#include "plat/cp936.h"
#include "plat/platform.h"

namespace {

SystemState state;

// The game folder stands in for the program's own folder; the process works inside it.
void set_working_folder() {
  plat::Platform& p = plat::get();
  const std::string host = p.files().gameDir();
  const std::string text = plat::cp936::fromUtf8(host);
  const size_t n = plat::cp936::fitLength(text, SYS_PATH_SIZE - 1);
  text.copy(state.working_folder, n);
  state.working_folder[n] = 0;
  std::error_code ec;
  std::filesystem::current_path(host, ec);
  if (ec) p.debugOut("cannot enter the game folder");
}

const char* windows_kind_text(int kind) {
  switch (kind) {
    case 3: return " Operation System : WinNT";
    case 2: return " Operation System : Win32";
    case 1: return " Operation System : Win95/Win98";
    default: return " Operation System : Unknown";
  }
}

void log_system_information() {
  char* line = state.message;
  const size_t size = sizeof(state.message);
  std::snprintf(line, size, "           Vender : %s", sys_get_cpu_vendor());
  sys_log(1, line);
  std::snprintf(line, size, cpu_mmx_flag ? "            Speed : Approx. %d MHz(MMX)"
                                         : "            Speed : Approx. %d MHz(!MMX)",
                static_cast<int>(sys_get_cpu_mhz()));
  sys_log(1, line);
  uint64_t total = 0, available = 0;
  sys_get_memory(&total, &available);
  std::snprintf(line, size, "           Memory : %d M", static_cast<int>(total >> 20));
  sys_log(1, line);
  sys_log(1, windows_kind_text(sys_get_windows_kind()));
  sys_log(1, sys_is_simplified_chinese_locale() ? "           Locale : Simplified"
                                                : "           Locale : Traditional");
  std::snprintf(line, size, "     Working Path : %s", state.working_folder);
  sys_log(1, line);
}

}  // namespace

SystemState& system_state() { return state; }

std::mutex& system_seed_mutex() {
  static std::mutex m;
  return m;
}

int system_module_init() {
  plat::Platform& p = plat::get();
  state.flags = 0;
  set_working_folder();
  state.screenshot_count = 0;
  state.start_time = state.last_pump_time = p.clock().ms();
  {
    std::lock_guard lock(system_seed_mutex());
    state.seed = 11;
  }
  cpu_detect_mmx();
  // Each run starts a fresh log.
  p.files().remove("error.txt");
  sys_log_open();
  state.flags |= SYS_FLAG_INITIALISED;
  sys_log(1, "SYSTEM module initialize starting...");
  log_system_information();
  sys_log(1, "SYSTEM module initialized OKay.");
  sys_log(1, "");
  return 0;
}

void system_module_free() {
  if (!(state.flags & SYS_FLAG_INITIALISED)) return;
  sys_log(1, "SYSTEM module free OKay.");
  cpu_info_free();
  sys_log_close();
  state.flags = 0;
}

void system_module_notify(uint32_t active) {
  if (active) {
    state.flags |= SYS_FLAG_ACTIVE;
  } else {
    state.flags &= ~SYS_FLAG_ACTIVE;
  }
  cpu_info_update();
}

uint32_t sys_flags() { return state.flags; }
const char* sys_working_folder() { return state.working_folder; }
char* sys_message_buffer() { return state.message; }

void system_module_reset() {
  sys_log_reset();
  std::lock_guard lock(system_seed_mutex());
  state.flags = 0;
  state.working_folder[0] = 0;
  state.message[0] = 0;
  state.start_time = state.last_pump_time = 0;
  state.screenshot_count = 0;
  state.screenshot_path[0] = 0;
  state.seed = 11;
  state.fps_rate = state.fps_window_start = state.fps_running = state.fps_count = 0;
  state.cpu_mhz = 0;
  state.cpu_mhz_asked = false;
  state.vendor[0] = state.computer_name[0] = state.user_name[0] = state.windows_dir[0] = 0;
  state.locale[0] = 0;
}

static const ModuleReset k_reset("SYSTEM", system_module_reset);
