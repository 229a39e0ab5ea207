// Client side of the hand-over pipe: checking the inherited descriptor and reading it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "plat/handover.h"

namespace plat {

bool isHandoverPipe(int fd) {
  if (fd < 0) return false;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return false;
  const int flags = fcntl(fd, F_GETFD);
  if (flags < 0 || fcntl(fd, F_SETFD, flags | FD_CLOEXEC) != 0) return false;
  signal(SIGPIPE, SIG_IGN);
  return true;
}

long HandoverReader::read(std::span<uint8_t> buffer) {
  for (;;) {
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    error_ = std::strerror(errno);
    return -1;
  }
}

}  // namespace plat
