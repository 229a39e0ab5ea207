// The replaceable process exit and the file-creation failure used by tests.
#include <unistd.h>

#include <atomic>
#include <mutex>

#include "plat/test.h"

namespace plat::test {

namespace {
std::atomic<bool> g_throwOnExit{false};

std::mutex g_createMutex;
std::string g_createPrefix;
int g_createErrno = 0;
}  // namespace

void setExitHandler(bool throwInstead) { g_throwOnExit.store(throwInstead); }
bool exitHandlerSet() { return g_throwOnExit.load(); }

void setCreateFailure(std::string hostPrefix, int err) {
  std::lock_guard lock(g_createMutex);
  g_createPrefix = std::move(hostPrefix);
  g_createErrno = g_createPrefix.empty() ? 0 : err;
}

int createFailure(const std::string& hostPath) {
  std::lock_guard lock(g_createMutex);
  if (g_createErrno == 0 || hostPath.compare(0, g_createPrefix.size(), g_createPrefix) != 0) return 0;
  return g_createErrno;
}

bool runningAsRoot() { return ::geteuid() == 0; }

}  // namespace plat::test
