// error.txt: every line opens, appends and closes the file, so the log survives a crash.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "plat/platform.h"

namespace {

// One step per line: any thread may log.
std::mutex log_mutex;

// Lines logged before the log first opens (the settings load runs before SYSTEM starts) are
// kept, up to a bound, and written when it opens; at exit when it never did, to stderr.
constexpr size_t kEarlyLines = 64;
constexpr size_t kEarlyBytes = 16384;

struct LogState {
  bool opened = false;          // the log has opened since the last reset
  bool stderr_noted = false;    // stderr was told that error.txt cannot be created
  bool exit_hook_set = false;
  std::vector<std::string> early;
  size_t early_bytes = 0;
  size_t early_dropped = 0;
};
LogState log_state;
// Set between open and close; read without the lock by any thread.
std::atomic<bool> log_writing{false};

void to_stderr(const char* text, size_t n) {
  std::fwrite(text, 1, n, stderr);
  std::fputc('\n', stderr);
}

// Says once per opening why the lines go to stderr, before the first of them.
void note_stderr_fallback(plat::IFileSystem& files, const std::string& reason) {
  if (log_state.stderr_noted) return;
  log_state.stderr_noted = true;
  const std::string host = files.resolve("error.txt", plat::Access::Write).value_or(files.gameDir() + "/error.txt");
  std::fprintf(stderr, "Unable to create error.txt (%s): %s\n", host.c_str(),
               reason.empty() ? "unknown reason" : reason.c_str());
}

// Caller holds log_mutex.
void write_line(const char* text, size_t n) {
  plat::IFileSystem& files = plat::get().files();
  // Text mode: the platform writes each "\n" as CRLF, as the Windows runtime did.
  auto file = files.open("error.txt", "a");
  if (!file) {
    // Stands in for the drive C fallback: nothing is written outside the game folder.
    note_stderr_fallback(files, files.lastError());
    to_stderr(text, n);
    return;
  }
  file->write(text, n);
  file->write("\n", 1);
}

// Caller holds log_mutex. Hands the kept lines to out in order and forgets them.
void drain_early(void (*out)(const char*, size_t)) {
  for (const std::string& l : log_state.early) out(l.data(), l.size());
  if (log_state.early_dropped) {
    char line[64];
    std::snprintf(line, sizeof line, "(%zu more early log lines dropped)", log_state.early_dropped);
    out(line, std::strlen(line));
  }
  log_state.early.clear();
  log_state.early_bytes = log_state.early_dropped = 0;
}

// At exit: the kept lines, when the log never opened.
void early_lines_to_stderr() {
  std::lock_guard lock(log_mutex);
  if (!log_state.opened) drain_early(to_stderr);
}

// Caller holds log_mutex.
void keep_early(const char* text) {
  const std::string_view line = std::string_view(text).substr(0, SYS_MESSAGE_BUFFER_SIZE - 1);
  // The first lines are kept whole; from the first that does not fit, the rest are only counted.
  if (log_state.early_dropped || log_state.early.size() >= kEarlyLines ||
      log_state.early_bytes + line.size() > kEarlyBytes) {
    ++log_state.early_dropped;
    return;
  }
  log_state.early.emplace_back(line);
  log_state.early_bytes += line.size();
  if (!log_state.exit_hook_set && plat::installed()) {
    log_state.exit_hook_set = true;
    plat::get().process().onExit(early_lines_to_stderr);
  }
}

}  // namespace

void sys_log(int level, const char* text) {
  if (level == 0) return;
  if (!text) text = "";
  std::lock_guard lock(log_mutex);
  if (log_writing) {
    write_line(text, std::strlen(text));
  } else if (!log_state.opened) {
    keep_early(text);  // after the log was freed, lines are dropped as before
  }
}

void sys_log_printf(int level, const char* format, ...) {
  if (level == 0) return;
  // Bounded and always terminated: a longer line is cut at 2047 bytes.
  char line[SYS_MESSAGE_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  sys_log(level, line);
}

void sys_log_open() {
  std::lock_guard lock(log_mutex);
  log_writing = true;
  log_state.opened = true;
  log_state.stderr_noted = false;
  drain_early(write_line);
}

void sys_log_close() {
  std::lock_guard lock(log_mutex);
  log_writing = false;
}

void sys_log_reset() {
  std::lock_guard lock(log_mutex);
  log_writing = false;
  log_state = LogState{};
}

static const ModuleReset k_reset("log", sys_log_reset);
