// The updater program: the launcher, then the client.
#include <signal.h>
#include <unistd.h>

#include "plat/platform.h"
#include "updater/update_app.h"

int main(int argc, char** argv) {
  plat::installFromEnvironment(argc, argv);
  // The game folder is the working folder, which the client inherits.
  if (chdir(plat::get().files().gameDir().c_str()) != 0) {
    plat::get().debugOut("update: cannot enter the game folder");
  }
  // The hand-over pipe's reader may be gone; a write must fail, not end us.
  signal(SIGPIPE, SIG_IGN);
  updater::CUpdateApp app;
  app.runLauncher = [](updater::CUpdateDlg& dialog) { return dialog.DoModal(); };
  const int endCode = app.InitInstance();
  plat::get().process().exit(updater::ExitStatusOf(endCode));
}
