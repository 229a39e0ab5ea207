// SIGTERM/SIGINT as a flag for the tools.
#include "plat/termination.h"

#include <signal.h>

#include <atomic>

namespace plat::termination {

namespace {
std::atomic<bool> g_requested{false};

void onSignal(int) { g_requested.store(true); }
}  // namespace

void catchSignals() {
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

bool requested() { return g_requested.load(); }

}  // namespace plat::termination
