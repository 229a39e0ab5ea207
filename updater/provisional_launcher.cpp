// The launcher's run until the dialog window exists: no pages and no buttons. It takes the list,
// chooses the saved entry and asks its gateway for the lines.
#include <string>
#include <thread>

#include "plat/platform.h"
#include "updater/module_path.h"
#include "updater/update_dlg.h"

namespace updater {

int CUpdateDlg::DoModal() {
  plat::Platform& p = plat::get();
  SetBuiltinServers();
  if (p.files().isFile(ModulePath("server.cfg"))) ReadServerList();
  if (!ChooseServer(chosenServer().id)) return endCode_ = UPDATE_END_QUIT;
  const SERVER_ENTRY& chosen = chosenServer();
  p.debugOut("update: chosen " + std::to_string(chosen.id) + " " + chosen.loginIP + ":" +
             std::to_string(chosen.loginPort));
  if (chosen.line == 0) {
    // The dialog would stay open with only quitting left; without a window that is the end.
    ErrorBox("WRITE_FTP_ERROR");
    return endCode_ = UPDATE_END_QUIT;
  }
  // Joined when the run returns, so the worker never outlives the dialog it posts to.
  std::jthread worker(DoorQueryThread, this);
  for (;;) {
    const Status s = statusQueue.take();
    if (s.code == UPD_DOOR_DONE) return endCode_ = UPDATE_END_START;
    if (s.code == UPD_WRITE_DOOR_ERROR) {
      ErrorBox("WRITE_DOOR_ERROR");
      EndFatal();
      return endCode_;
    }
  }
}

}  // namespace updater
