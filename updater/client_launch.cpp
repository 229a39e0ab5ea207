#include "updater/client_launch.h"

#include "plat/handover.h"
#include "plat/platform.h"

namespace updater {

std::string ClientProgram() { return plat::companionPath("main.exe").value_or("main"); }

ClientLaunch LaunchClient(const std::string& program, std::span<const uint8_t> block) {
  ClientLaunch out;
  plat::HandoverLauncher pipe;
  if (!pipe.open()) {
    out.error = pipe.error();
    return out;
  }
  if (!block.empty() && !pipe.write(block)) {
    out.error = pipe.error();
    return out;
  }
  out.pid = pipe.spawn(program, {}, false);
  if (!out.pid) out.error = pipe.error();
  pipe.closeWrite();
  return out;
}

}  // namespace updater
