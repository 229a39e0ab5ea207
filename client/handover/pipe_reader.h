// The hand-over pipe on the client side: what the updater passes at process start, and the
// reader thread that takes the server lines and the replay commands from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "plat/types.h"

// Commands of a controlling program, 4 bytes little-endian each.
constexpr uint32_t HANDOVER_CMD_REPLAY_TOGGLE = 3024;
constexpr uint32_t HANDOVER_CMD_EXIT = 3025;
constexpr uint32_t HANDOVER_CMD_SPEED_NORMAL = 3026;
constexpr uint32_t HANDOVER_CMD_SPEED_UP = 3027;
constexpr uint32_t HANDOVER_CMD_PROGRESS = 3029;
constexpr uint32_t HANDOVER_READ_SLEEP_MS = 100;

// dwY of the start-up information: the controlling program's window for the replay progress.
extern plat::WindowId handover_parent_window;

// Process start: takes the start-up values and, when X names an inherited pipe, starts the
// reader on a detached thread. Any other descriptor is ignored with a debug line.
void handover_start();

// The reader thread's body: reads until end of file or an error, then returns 0. Never throws.
int pipe_reader_thread(int fd);

// One read's bytes: a command, or record bytes joined across reads into the server line table.
void handover_on_read(std::span<const uint8_t> bytes);
// The reader is done: logs the lines dropped from the last block, if any.
void handover_on_end();

// Bytes of an unfinished record waiting for the next read.
size_t handover_pending_bytes();
// Reader threads that have not returned yet.
int handover_readers_active();

// Tests only: no pending bytes, next block at row 0, no parent window.
void handover_reset();
