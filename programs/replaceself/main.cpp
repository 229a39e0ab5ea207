// The self-replacement program, started by the updater after a patch as "replaceself.dll" with
// the updater's process id: it waits for that process to end, then starts `update` beside it
// again. The patch has already renamed the new files into place (Linux lets a running program's
// file be replaced), so nothing is left to move here.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plat/platform.h"

namespace {

constexpr uint32_t WAIT_FOR_UPDATER_MS = 120000;

}  // namespace

int main(int argc, char** argv) {
  plat::installFromEnvironment(argc, argv);
  plat::Platform& p = plat::get();
  if (argc >= 2) {
    char* end = nullptr;
    const long pid = std::strtol(argv[1], &end, 10);
    if (*argv[1] == '\0' || *end != '\0' || pid <= 0 || pid > INT32_MAX) {
      p.debugOut(std::string("replaceself: not a process id: ") + argv[1]);
      p.process().exit(1);
    }
    p.debugOut("replaceself: waiting for " + std::to_string(pid));
    if (!p.process().waitExit(static_cast<int>(pid), WAIT_FOR_UPDATER_MS)) {
      p.debugOut("replaceself: " + std::to_string(pid) + " still runs; nothing started");
      p.process().exit(1);
    }
    p.debugOut("replaceself: " + std::to_string(pid) + " ended");
  }
  plat::SpawnSpec spec;
  spec.program = "update.exe";
  const std::optional<int> started = p.process().spawn(spec);
  p.debugOut(started ? "replaceself: update started, pid " + std::to_string(*started) : "replaceself: update not started");
  p.process().exit(started ? 0 : 1);
}
