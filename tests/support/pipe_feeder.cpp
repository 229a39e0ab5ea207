#include "tests/support/pipe_feeder.h"

#include <fcntl.h>   // platform-test-ok
#include <unistd.h>  // platform-test-ok

#include <cstdio>
#include <stdexcept>

namespace veldra_test {

PipeFeeder::PipeFeeder() {
  if (!pipe_.open()) throw std::runtime_error("pipe: " + pipe_.error());
}

bool PipeFeeder::command(uint32_t value) { return write(commandBytes(value)); }

plat::SERVER_LINE_RECORD PipeFeeder::line(int n) {
  plat::SERVER_LINE_RECORD rec{};
  std::snprintf(rec.name, sizeof rec.name, "Line %d", n);
  rec.line_id = 100 + n;
  rec.address = plat::ipv4NetworkOrder(10, 0, 0, static_cast<uint8_t>(n));
  rec.port = 7000 + n;
  rec.load = 10 * n;
  rec.available = n % 2;
  return rec;
}

std::vector<uint8_t> PipeFeeder::lines(int count, int first) {
  plat::ByteWriter w;
  for (int n = first; n < first + count; ++n) plat::writeServerLine(w, line(n));
  return w.take();
}

std::vector<uint8_t> PipeFeeder::commandBytes(uint32_t value) {
  return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

bool isCloseOnExec(int fd) {
  const int flags = fcntl(fd, F_GETFD);
  return flags >= 0 && (flags & FD_CLOEXEC) != 0;
}

bool isOpenFd(int fd) { return fcntl(fd, F_GETFD) >= 0; }

int openForReading(const std::string& hostPath) { return open(hostPath.c_str(), O_RDONLY); }

void closeFd(int fd) {
  if (fd >= 0) close(fd);
}

bool plainPipe(int fds[2]) { return pipe(fds) == 0; }

long writeFd(int fd, const std::vector<uint8_t>& bytes) { return static_cast<long>(::write(fd, bytes.data(), bytes.size())); }

}  // namespace veldra_test
