// Updater side of the hand-over pipe: the block goes in before the client starts, the read end
// reaches the child as descriptor 3 only.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/spawn.h"
#include "plat/handover.h"

namespace plat {

namespace {
void closeFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}
}  // namespace

HandoverLauncher::~HandoverLauncher() {
  closeRead();
  closeWrite();
}

bool HandoverLauncher::open() {
  closeRead();
  closeWrite();
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error_ = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  read_ = fds[0];
  write_ = fds[1];
  return true;
}

bool HandoverLauncher::write(std::span<const uint8_t> bytes) {
  if (write_ < 0) {
    error_ = "pipe not open";
    return false;
  }
  while (!bytes.empty()) {
    const ssize_t n = ::write(write_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::string("write: ") + std::strerror(errno);
      return false;
    }
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return true;
}

std::optional<int> HandoverLauncher::spawn(const std::string& program, const std::vector<std::string>& args,
                                           bool waitable) {
  if (read_ < 0) {
    error_ = "pipe not open";
    return std::nullopt;
  }
  common::ChildSpec spec;
  spec.program = program;
  spec.argv.push_back(program);
  spec.argv.insert(spec.argv.end(), args.begin(), args.end());
  spec.env = {{"VELDRA_STARTUP_X", "3"}, {"VELDRA_STARTUP_Y", "0"}};
  spec.inheritFd = read_;
  spec.waitable = waitable;
  auto pid = common::spawnChild(spec, &error_);
  // Only the child reads; with our copy closed the child sees end of file once we close ours.
  closeRead();
  return pid;
}

void HandoverLauncher::closeRead() { closeFd(read_); }
void HandoverLauncher::closeWrite() { closeFd(write_); }

std::optional<int> HandoverLauncher::wait(int pid) {
  int status = 0;
  for (;;) {
    if (waitpid(pid, &status, 0) >= 0) break;
    if (errno != EINTR) return std::nullopt;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return std::nullopt;
}

}  // namespace plat
