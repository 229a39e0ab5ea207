#include "tests/support/child_process.h"

#include <fcntl.h>  // platform-test-ok
#include <signal.h>  // platform-test-ok
#include <spawn.h>  // platform-test-ok
#include <sys/wait.h>  // platform-test-ok
#include <unistd.h>  // platform-test-ok

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace veldra_test {

int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& env, const std::string& stderrPath) {
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool replaced = false;
    for (const auto& [name, value] : env) replaced |= entry.rfind(name + "=", 0) == 0;
    if (!replaced) envText.push_back(entry);
  }
  for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> argText{program};
  argText.insert(argText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argText) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!stderrPath.empty())
    posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? static_cast<int>(pid) : -1;
}

std::optional<int> waitProcess(int pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t got = waitpid(pid, &status, WNOHANG);
    if (got == pid) {
      if (WIFEXITED(status)) return WEXITSTATUS(status);
      if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    }
    if (got < 0) return std::nullopt;  // not ours: processAlive says whether it runs
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool processAlive(int pid) {
  if (pid <= 0) return false;
  // A zombie has exited: its state letter is Z.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(stat, text)) return false;
  const size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
}

void stopProcess(int pid) {
  if (pid <= 0) return;
  if (kill(pid, SIGKILL) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
  }
}

}  // namespace veldra_test
