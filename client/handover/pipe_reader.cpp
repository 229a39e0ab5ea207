// The pipe reader. Replaces the original's whole-block copies, which overflowed the table and
// could be read half-written: records are joined across reads and published one by one with
// the count under the table's lock.
#include "client/handover/pipe_reader.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "client/handover/replay_controls.h"
#include "client/handover/server_lines.h"
#include "core/reset/module_resets.h"
#include "engine/system/system.h"
#include "plat/handover.h"
#include "plat/platform.h"
#include "plat/thread_name.h"

plat::WindowId handover_parent_window = plat::kNoWindow;

namespace {

// Touched by the reader thread only.
struct ReaderState {
  plat::RecordAssembler<plat::SERVER_LINE_RECORD_SIZE> assembler;
  bool in_block = false;  // false at start and after a command: the next record goes to row 0
  int next_row = 0;
  int dropped = 0;
};

ReaderState reader;
std::atomic<int> readers_active{0};

void debug_line(const char* format, int value) {
  char text[128];
  std::snprintf(text, sizeof text, format, value);
  plat::get().debugOut(text);
}

void log_command(uint32_t command, int line) {
  // The format ends in a newline and the log adds one: an empty line follows.
  sys_log_printf(1, "%x,%d\n", command, line);
}

void log_dropped() {
  if (reader.dropped == 0) return;
  // The table and the gateway's line count both stop at 100.
  char text[96];
  std::snprintf(text, sizeof text, "Server line table full, %d lines dropped", reader.dropped);
  sys_log(1, text);
  plat::get().debugOut(text);
  reader.dropped = 0;
}

void on_record(std::span<const uint8_t, plat::SERVER_LINE_RECORD_SIZE> bytes) {
  if (reader.next_row >= SERVER_LINE_ROWS) {
    ++reader.dropped;
    return;
  }
  plat::ByteReader r(bytes);
  const plat::SERVER_LINE_RECORD record = plat::readServerLine(r);
  server_lines_store(reader.next_row, record, reader.next_row + 1);
  ++reader.next_row;
}

void on_command(uint32_t command) {
  switch (command) {
    case HANDOVER_CMD_REPLAY_TOGGLE:
      log_command(command, __LINE__);
      replay_running.store(replay_running.load(std::memory_order_relaxed) == 1 ? 0 : 1, std::memory_order_relaxed);
      break;
    case HANDOVER_CMD_EXIT:
      log_command(command, __LINE__);
      // No shutdown or free hooks and no static destructors: the main thread still runs.
      plat::get().process().exit(0);
      break;  // not reached
    case HANDOVER_CMD_SPEED_NORMAL:
      log_command(command, __LINE__);
      replay_speed.store(1.0f, std::memory_order_relaxed);
      speed_divisor.store(1, std::memory_order_relaxed);
      replay_running.store(1, std::memory_order_relaxed);
      break;
    case HANDOVER_CMD_SPEED_UP: {
      log_command(command, __LINE__);
      float speed = replay_speed.load(std::memory_order_relaxed) * 2.0f;
      int32_t divisor = speed_divisor.load(std::memory_order_relaxed) * 2;
      if (speed > 4.1f) {
        speed = 4.0f;
        divisor = 4;
      }
      replay_speed.store(speed, std::memory_order_relaxed);
      speed_divisor.store(divisor, std::memory_order_relaxed);
      replay_running.store(1, std::memory_order_relaxed);
      break;
    }
    case HANDOVER_CMD_PROGRESS:
      log_command(command, __LINE__);
      debug_line("msg = 3029, param = %d.\n", replay_progress_published.load(std::memory_order_relaxed));
      // Posts reach only windows of ours; the updater gives no window (0), so nothing goes.
      if (handover_parent_window != plat::kNoWindow)
        plat::get().events().post(handover_parent_window, HANDOVER_CMD_PROGRESS,
                                  static_cast<uint32_t>(replay_progress_published.load(std::memory_order_relaxed)), 0);
      break;
    default:
      break;  // 3028 and unknown values
  }
}

void reader_entry(int fd) {
  plat::setCurrentThreadName("pipe reader");
  pipe_reader_thread(fd);
}

}  // namespace

void handover_on_read(std::span<const uint8_t> bytes) {
  const bool was_pending = reader.assembler.pendingBytes() != 0;
  if (bytes.size() != 4 || was_pending) {
    if (!reader.in_block) {
      log_dropped();
      reader.in_block = true;
      reader.next_row = 0;
    }
  }
  const auto command = reader.assembler.feed(bytes, on_record);
  if (command) {
    log_dropped();
    reader.in_block = false;
    on_command(*command);
    return;
  }
  debug_line("server lines: %d", server_line_count());
}

void handover_on_end() { log_dropped(); }

int pipe_reader_thread(int fd) {
  readers_active.fetch_add(1);
  try {
    plat::HandoverReader pipe(fd);
    std::vector<uint8_t> buffer(plat::HANDOVER_READ_SIZE);
    for (;;) {
      const long n = pipe.read(buffer);
      if (n == 0) break;  // the updater closed its end
      if (n < 0) {
        plat::get().debugOut("hand-over pipe: " + pipe.error());
        break;
      }
      handover_on_read(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(n)));
      plat::get().clock().sleepMs(HANDOVER_READ_SLEEP_MS);
    }
    handover_on_end();
  } catch (const std::exception& e) {
    if (plat::installed()) plat::get().debugOut(std::string("hand-over pipe: ") + e.what());
  } catch (...) {
    // Also the tests' exit stand-in: this thread must never throw.
  }
  readers_active.fetch_sub(1);
  return 0;
}

size_t handover_pending_bytes() { return reader.assembler.pendingBytes(); }
int handover_readers_active() { return readers_active.load(); }

void handover_start() {
  plat::Platform& p = plat::get();
  const plat::StartupInfo info = p.process().startupInfo();
  handover_parent_window = static_cast<plat::WindowId>(info.y);
  if (info.x == 0 || info.x == -1) return;
  if (!plat::isHandoverPipe(info.x)) {
    debug_line("hand-over descriptor %d is not a pipe; ignored", info.x);
    return;
  }
  std::thread(reader_entry, info.x).detach();
}

void handover_reset() {
  reader = ReaderState{};
  handover_parent_window = plat::kNoWindow;
}

static const ModuleReset k_reset("hand-over reader", handover_reset);
