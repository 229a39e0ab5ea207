// Hand-over pipe blocks for the client's pipe reader tests: server line records built with the
// record codec, and 4-byte commands, written into a real pipe.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plat/handover.h"

namespace veldra_test {

class PipeFeeder {
 public:
  PipeFeeder();  // a fresh pipe; both ends close-on-exec
  int readFd() const { return pipe_.readFd(); }
  int writeFd() const { return pipe_.writeFd(); }
  bool write(std::span<const uint8_t> bytes) { return pipe_.write(bytes); }
  bool command(uint32_t value);
  void closeWrite() { pipe_.closeWrite(); }
  void closeRead() { pipe_.closeRead(); }

  // Line n (1-based) of a test block: name "Line n", line id 100 + n, 10.0.0.n, port 7000 + n,
  // load 10 x n, available when n is odd. Every field follows from n, so a torn record shows.
  static plat::SERVER_LINE_RECORD line(int n);
  // Lines first..first+count-1 in their file form.
  static std::vector<uint8_t> lines(int count, int first = 1);
  static std::vector<uint8_t> commandBytes(uint32_t value);

 private:
  plat::HandoverLauncher pipe_;
};

// Descriptor probes the tests cannot make themselves (no system headers outside the platform).
bool isCloseOnExec(int fd);
bool isOpenFd(int fd);
// A descriptor open for reading on a host file, or -1.
int openForReading(const std::string& hostPath);
void closeFd(int fd);
// pipe(2) without close-on-exec, as an inherited descriptor arrives: true with fds[0] the read end.
bool plainPipe(int fds[2]);
// write(2) of the bytes: the count written or -1.
long writeFd(int fd, const std::vector<uint8_t>& bytes);

}  // namespace veldra_test
