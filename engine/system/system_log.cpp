// error.txt: every line opens, appends and closes the file, so the log survives a crash.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "engine/system/system_state.h"
#include "plat/platform.h"

namespace {

// One step per line: any thread may log.
std::mutex log_mutex;

}  // namespace

void sys_log(int level, const char* text) {
  if (!(system_state().flags & SYS_FLAG_INITIALISED)) return;
  std::lock_guard lock(log_mutex);
  if (level == 0) return;
  if (!text) text = "";
  const size_t n = std::strlen(text);
  // Text mode: the platform writes each "\n" as CRLF, as the Windows runtime did.
  auto file = plat::get().files().open("error.txt", "a");
  if (!file) {
    // Stands in for the drive C fallback: nothing is written outside the game folder.
    std::fwrite(text, 1, n, stderr);
    std::fputc('\n', stderr);
    return;
  }
  file->write(text, n);
  file->write("\n", 1);
}

void sys_log_printf(int level, const char* format, ...) {
  if (!(system_state().flags & SYS_FLAG_INITIALISED) || level == 0) return;
  // Bounded and always terminated: a longer line is cut at 2047 bytes.
  char line[SYS_MESSAGE_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  sys_log(level, line);
}
