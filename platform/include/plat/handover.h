// The hand-over pipe from the updater to the client: the server line record it carries, the
// reader and record joiner of the client side, and the launcher of the updater side.
//
// Updater: pipe2(O_CLOEXEC), the whole block written before spawning, the read end duplicated to
// descriptor 3 in the child only, VELDRA_STARTUP_X=3 and VELDRA_STARTUP_Y=0, both ends closed.
// Client: IProcess::startupInfo() gives the descriptor; isHandoverPipe() checks it.
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "plat/bytes.h"
#include "plat/platform.h"

namespace plat {

// ---- the server line record (84 bytes, little-endian) ----------------------------------------

constexpr size_t SERVER_LINE_RECORD_SIZE = 84;
constexpr size_t SERVER_LINE_NAME_SIZE = 64;

struct SERVER_LINE_RECORD {
  char name[SERVER_LINE_NAME_SIZE];  // NUL-terminated once read (byte 63 forced to 0)
  int32_t line_id;                   // group id + line number 1..99
  uint32_t address;                  // IPv4 in network byte order, as inet_addr gives it
  int32_t port;                      // low 16 bits used
  int32_t load;                      // compared signed
  uint8_t available;                 // 0: not offered
  uint8_t pad[3];                    // passed on unchanged
};

constexpr FieldSpec SERVER_LINE_FIELDS[] = {
    {"name", 0, 64}, {"line id", 64, 4}, {"address", 68, 4}, {"port", 72, 4},
    {"load", 76, 4}, {"available", 80, 1}, {"pad", 81, 3},
};
static_assert(checkLayout(SERVER_LINE_FIELDS, SERVER_LINE_RECORD_SIZE));

// One record, field by field; throws MalformedInput when fewer than 84 bytes remain.
SERVER_LINE_RECORD readServerLine(ByteReader& r);
void writeServerLine(ByteWriter& w, const SERVER_LINE_RECORD& rec);
// The address bytes a.b.c.d in network order, as a little-endian machine holds them.
constexpr uint32_t ipv4NetworkOrder(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return uint32_t(a) | uint32_t(b) << 8 | uint32_t(c) << 16 | uint32_t(d) << 24;
}

// ---- joining split reads ------------------------------------------------------------------

// A pipe read of exactly 4 bytes while no partial record is pending is a little-endian command;
// every other read is record bytes, which may end in the middle of a record that the next read
// completes.
template <size_t N>
class RecordAssembler {
 public:
  static_assert(N > 4, "a record must be longer than a command");

  // Feeds one read. A command: returns it and calls nothing. Otherwise calls onRecord with each
  // record completed by this read (a span of N bytes) and returns nullopt.
  template <class OnRecord>
  std::optional<uint32_t> feed(std::span<const uint8_t> read, OnRecord&& onRecord) {
    if (read.size() == 4 && have_ == 0) {
      return uint32_t(read[0]) | uint32_t(read[1]) << 8 | uint32_t(read[2]) << 16 | uint32_t(read[3]) << 24;
    }
    while (!read.empty()) {
      const size_t take = std::min(N - have_, read.size());
      std::memcpy(partial_.data() + have_, read.data(), take);
      have_ += take;
      read = read.subspan(take);
      if (have_ == N) {
        have_ = 0;
        onRecord(std::span<const uint8_t, N>(partial_));
      }
    }
    return std::nullopt;
  }

  size_t pendingBytes() const { return have_; }
  void reset() { have_ = 0; }

 private:
  std::array<uint8_t, N> partial_{};
  size_t have_ = 0;
};

// ---- client side --------------------------------------------------------------------------

// The read buffer of the client's pipe reader.
constexpr size_t HANDOVER_READ_SIZE = 20480;

// True when fd is an open pipe (a FIFO); it is then marked close-on-exec and SIGPIPE is ignored.
// Any other descriptor (a stale variable, a file, nothing) gives false and is left alone.
bool isHandoverPipe(int fd);

class HandoverReader {
 public:
  explicit HandoverReader(int fd) : fd_(fd) {}
  // Bytes read (> 0), 0 at end of file (the updater closed its end), -1 on an error (error()
  // says which). Interrupted reads are retried.
  long read(std::span<uint8_t> buffer);
  const std::string& error() const { return error_; }

 private:
  int fd_;
  std::string error_;
};

// ---- updater side -------------------------------------------------------------------------

// Owns both ends of a hand-over pipe until they are closed (both close-on-exec).
class HandoverLauncher {
 public:
  HandoverLauncher() = default;
  ~HandoverLauncher();
  HandoverLauncher(const HandoverLauncher&) = delete;
  HandoverLauncher& operator=(const HandoverLauncher&) = delete;

  // pipe2(O_CLOEXEC); ignores SIGPIPE. False (error() says why) when the pipe cannot be made.
  bool open();
  // Writes all the bytes (retrying short and interrupted writes). False when the reader is gone.
  bool write(std::span<const uint8_t> bytes);
  // Starts program (a host path) with the read end as descriptor 3, VELDRA_STARTUP_X=3 and
  // VELDRA_STARTUP_Y=0, then closes our read end. With waitable the child is not reaped in the
  // background, so wait() can give its exit status. The process id, or nullopt.
  std::optional<int> spawn(const std::string& program, const std::vector<std::string>& args, bool waitable);
  void closeRead();
  void closeWrite();
  // The exit status of a waitable child (128 + signal when a signal ended it), or nullopt.
  static std::optional<int> wait(int pid);

  int readFd() const { return read_; }
  int writeFd() const { return write_; }
  const std::string& error() const { return error_; }

 private:
  int read_ = -1;
  int write_ = -1;
  std::string error_;
};

}  // namespace plat
