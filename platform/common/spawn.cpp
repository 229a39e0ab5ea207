// posix_spawn with descriptor 3 hand-over and a background reaper.
#include "common/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace plat::common {

namespace {
void reapInBackground(pid_t pid) {
  std::thread([pid] {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

std::vector<std::string> mergedEnvironment(const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    bool replaced = false;
    for (const auto& [k, v] : extra)
      if (entry.size() > k.size() && entry.compare(0, k.size(), k) == 0 && entry[k.size()] == '=') replaced = true;
    if (!replaced) env.emplace_back(entry);
  }
  for (const auto& [k, v] : extra) env.push_back(k + "=" + v);
  return env;
}
}  // namespace

std::optional<int> spawnChild(const ChildSpec& spec, std::string* error) {
  if (spec.program.empty()) {
    if (error) *error = "no program";
    return std::nullopt;
  }
  std::vector<std::string> argvStore = spec.argv;
  if (argvStore.empty()) argvStore.push_back(spec.program);
  std::vector<char*> argv;
  for (auto& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStore = mergedEnvironment(spec.env);
  std::vector<char*> envp;
  for (auto& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // The child starts with default signal handling (we ignore SIGPIPE) and an empty mask.
  sigset_t defaults, empty;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigemptyset(&empty);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setsigmask(&attr, &empty);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  // dup2 onto 3 clears close-on-exec only when the source is another descriptor, so copy the
  // given one above 3 first; every other descriptor of ours stays close-on-exec.
  int handOver = -1;
  if (spec.inheritFd >= 0) {
    handOver = fcntl(spec.inheritFd, F_DUPFD_CLOEXEC, 4);
    if (handOver < 0) {
      if (error) *error = std::string("hand-over descriptor: ") + std::strerror(errno);
      posix_spawn_file_actions_destroy(&actions);
      posix_spawnattr_destroy(&attr);
      return std::nullopt;
    }
    posix_spawn_file_actions_adddup2(&actions, handOver, 3);
  }

  pid_t pid = -1;
  int rc = spec.searchPath ? posix_spawnp(&pid, spec.program.c_str(), &actions, &attr, argv.data(), envp.data())
                           : posix_spawn(&pid, spec.program.c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (handOver >= 0) close(handOver);
  if (rc != 0) {
    if (error) *error = spec.program + ": " + std::strerror(rc);
    return std::nullopt;
  }
  if (!spec.waitable) reapInBackground(pid);
  return static_cast<int>(pid);
}

}  // namespace plat::common
