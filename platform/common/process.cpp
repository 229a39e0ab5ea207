// IProcess on POSIX: companion programs, the hand-over descriptor, single instance and exit.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>

#include "common/command_line.h"
#include "common/common.h"
#include "common/debug_out.h"
#include "common/host_paths.h"
#include "common/single_instance.h"
#include "common/spawn.h"
#include "plat/cp936.h"
#include "plat/test.h"

namespace plat::common {

namespace {

std::string lastPart(std::string_view path) {
  size_t cut = path.find_last_of("\\/");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// The Windows companions are our own programs beside the executable.
std::optional<std::string> companion(std::string_view program) {
  std::string base = cp936::asciiLower(lastPart(program));
  if (base == "main.exe") return executableDir() + "/main";
  if (base == "replaceself.dll") return executableDir() + "/replaceself";
  if (base == "update.exe") return executableDir() + "/update";  // started again by replaceself
  return std::nullopt;
}

std::string hostProgram(std::string_view program) {
  if (auto c = companion(program)) return *c;
  if (plat::installed())
    if (auto p = plat::get().files().resolve(program, Access::Read)) return *p;
  return cp936::toUtf8(program);
}

std::string realPath(const std::string& p) {
  char buf[PATH_MAX];
  if (!::realpath(p.c_str(), buf)) return p;
  return buf;
}

std::mutex argsMutex;
std::optional<std::vector<std::string>> programArgs;

std::vector<std::string> procCmdline() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> out;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\0', start);
    if (end == std::string::npos) end = all.size();
    out.push_back(all.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string gameFolder() {
  return plat::installed() ? plat::get().files().gameDir() : resolveGameDir();
}

class PosixProcess final : public IProcess {
 public:
  explicit PosixProcess(std::function<void()> leaveFullscreen) : leaveFullscreen_(std::move(leaveFullscreen)) {}

  std::optional<int> spawn(const SpawnSpec& spec) override {
    ChildSpec c;
    c.searchPath = spec.searchPath && !companion(spec.program);
    c.program = c.searchPath ? cp936::toUtf8(spec.program) : hostProgram(spec.program);
    if (!c.searchPath && access(c.program.c_str(), X_OK) != 0) {
      // A missing companion is logged and skipped.
      debugLine("spawn: " + spec.program + " not found (" + cp936::fromUtf8(c.program) + ")");
      return std::nullopt;
    }
    c.argv.push_back(c.program);
    for (const auto& a : spec.args) c.argv.push_back(a);
    c.env = spec.env;
    c.inheritFd = spec.inheritFd;
    std::string error;
    auto pid = spawnChild(c, &error);
    if (!pid) debugLine("spawn: " + cp936::fromUtf8(error));
    return pid;
  }

  bool waitExit(int pid, uint32_t timeoutMs) override {
    if (pid <= 0) return false;
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return errno == ESRCH;  // gone already
    // The descriptor turns readable when the process ends; poll's timeout is an int.
    pollfd p{fd, POLLIN, 0};
    int rc;
    do {
      rc = ::poll(&p, 1, static_cast<int>(std::min<uint32_t>(timeoutMs, INT32_MAX)));
    } while (rc < 0 && errno == EINTR);
    ::close(fd);
    return rc > 0;
  }

  uint32_t currentId() override { return static_cast<uint32_t>(::getpid()); }

  // Processes whose /proc/<pid>/exe is the given program.
  int countRunning(std::string_view exePath) override {
    // A host path (our own exePath(), as the updater asks about itself) is taken as it is.
    std::string want = realPath(!exePath.empty() && exePath[0] == '/' && access(std::string(exePath).c_str(), F_OK) == 0
                                    ? std::string(exePath)
                                    : hostProgram(exePath));
    int count = 0;
    auto all = processList();
    if (!all) return 0;
    for (const auto& p : *all)
      if (p.exePath == want) ++count;
    return count;
  }

  // Entries whose exe link cannot be read (another user's, a kernel thread) are skipped.
  std::optional<std::vector<ProcessEntry>> processList() override {
    DIR* d = opendir("/proc");
    if (!d) return std::nullopt;
    std::vector<ProcessEntry> out;
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
      char link[PATH_MAX];
      std::string proc = std::string("/proc/") + e->d_name + "/exe";
      ssize_t n = readlink(proc.c_str(), link, sizeof link - 1);
      if (n <= 0) continue;
      std::string got(link, static_cast<size_t>(n));
      const std::string deleted = " (deleted)";  // a replaced executable still counts
      if (got.size() > deleted.size() && got.compare(got.size() - deleted.size(), deleted.size(), deleted) == 0)
        got.resize(got.size() - deleted.size());
      out.push_back(ProcessEntry{static_cast<uint32_t>(std::strtoul(e->d_name, nullptr, 10)), std::move(got)});
    }
    closedir(d);
    return out;
  }

  StartupInfo startupInfo() override {
    std::lock_guard lock(m_);
    if (!startup_) {
      StartupInfo s;
      if (const char* x = std::getenv("VELDRA_STARTUP_X")) s.x = std::atoi(x);
      if (const char* y = std::getenv("VELDRA_STARTUP_Y")) s.y = std::atoi(y);
      // Our own children must not see them.
      unsetenv("VELDRA_STARTUP_X");
      unsetenv("VELDRA_STARTUP_Y");
      if (s.x > 0) {
        int flags = fcntl(s.x, F_GETFD);
        if (flags >= 0) fcntl(s.x, F_SETFD, flags | FD_CLOEXEC);
      }
      startup_ = s;
    }
    return *startup_;
  }

  bool anotherCopyRaised(std::string_view name) override { return common::anotherCopyRaised(name, gameFolder()); }

  [[noreturn]] void exit(int code) override {
    for (;;) {
      std::function<void()> hook;
      {
        std::lock_guard lock(m_);
        if (hooks_.empty()) break;
        hook = std::move(hooks_.back());
        hooks_.pop_back();
      }
      hook();
    }
    std::fflush(nullptr);
    if (leaveFullscreen_) leaveFullscreen_();
    if (plat::test::exitHandlerSet()) throw plat::test::ExitCalled{code};
    _exit(code);  // no static destructors: another thread may still run
  }

  void onExit(std::function<void()> hook) override {
    std::lock_guard lock(m_);
    hooks_.push_back(std::move(hook));
  }

  std::string commandLine() override { return formatCommandLine(args()); }

  std::vector<std::string> args() override {
    {
      std::lock_guard lock(argsMutex);
      if (programArgs) return *programArgs;
    }
    return procCmdline();
  }

 private:
  std::function<void()> leaveFullscreen_;
  std::mutex m_;
  std::vector<std::function<void()>> hooks_;
  std::optional<StartupInfo> startup_;
};

}  // namespace

void setProgramArgs(int argc, char** argv) {
  std::lock_guard lock(argsMutex);
  if (argc <= 0 || !argv) {
    programArgs.reset();
    return;
  }
  programArgs.emplace();
  for (int i = 0; i < argc && argv[i]; ++i) programArgs->push_back(argv[i]);
}

std::unique_ptr<IProcess> makePosixProcess(std::function<void()> leaveFullscreen) {
  return std::make_unique<PosixProcess>(std::move(leaveFullscreen));
}

}  // namespace plat::common

namespace plat {

std::optional<std::string> companionPath(std::string_view program) { return common::companion(program); }

}  // namespace plat
