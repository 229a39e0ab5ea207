// The client program: WinMain's work, then the engine main.
#include "client/startup/client_hooks.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

int main(int argc, char** argv) {
  plat::installFromEnvironment(argc, argv);
  plat::Platform& p = plat::get();
  client_process_start(p.process().commandLine());
  const int code = engine_main(client_hooks(), client_command_line().c_str(), plat::SW_SHOWNORMAL);
  // Every road ends through the platform, which leaves full screen and runs no static
  // destructors (the pipe reader may still run).
  p.process().exit(code);
}
