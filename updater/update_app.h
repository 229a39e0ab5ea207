// The updater's run: one copy only, veldra.cfg read, the launcher, then the client started with
// the gateway's lines.
#pragma once
#include <functional>

#include "updater/client_launch.h"
#include "updater/update_dlg.h"

namespace updater {

class CUpdateApp {
 public:
  // Runs the launcher to its end code; the program's is CUpdateDlg::DoModal.
  std::function<int(CUpdateDlg&)> runLauncher;
  // Starts the client with the line block; LaunchClient of ClientProgram() when unset.
  std::function<ClientLaunch(std::span<const uint8_t>)> launchClient;

  // The whole run. Returns the launcher's end code (0 when another copy runs); the process
  // status follows from it (ExitStatusOf).
  int InitInstance();
};

// 1 and 2 end with 0, the fatal end 10 with 255 like the client's fatal road.
int ExitStatusOf(int endCode);

}  // namespace updater
