// The SYSTEM module's global record, shared by its source files.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>

#include "engine/system/system.h"

constexpr size_t SYS_PATH_SIZE = 260;

struct SystemState {
  std::atomic<uint32_t> flags{0};  // read by sys_log on any thread
  char working_folder[SYS_PATH_SIZE] = {};
  char message[SYS_MESSAGE_BUFFER_SIZE] = {};
  uint32_t start_time = 0;
  uint32_t last_pump_time = 0;
  uint32_t screenshot_count = 0;
  char screenshot_path[2 * SYS_PATH_SIZE] = {};
  int32_t seed = 11;
  // Frames per second.
  uint32_t fps_rate = 0;
  uint32_t fps_window_start = 0;
  uint32_t fps_running = 0;
  uint32_t fps_count = 0;
  // Machine questions, each asked of the platform once.
  uint64_t cpu_mhz = 0;
  bool cpu_mhz_asked = false;
  char vendor[13] = {};
  char computer_name[16] = {};
  char user_name[257] = {};
  char windows_dir[261] = {};
  char locale[SYS_PATH_SIZE] = {};
};

SystemState& system_state();
// Guards the seed (the log has its own lock in the log's source).
std::mutex& system_seed_mutex();
