// The replaceable process exit used by tests.
#include <atomic>

#include "plat/test.h"

namespace plat::test {

namespace {
std::atomic<bool> g_throwOnExit{false};
}

void setExitHandler(bool throwInstead) { g_throwOnExit.store(throwInstead); }
bool exitHandlerSet() { return g_throwOnExit.load(); }

}  // namespace plat::test
