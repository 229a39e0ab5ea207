// The updater program: the launcher, then the client.
#include "plat/platform.h"
#include "updater/update_app.h"

int main(int argc, char** argv) {
  plat::installFromEnvironment(argc, argv);
  if (!plat::enterGameFolder()) plat::get().debugOut("update: cannot enter the game folder");
  updater::CUpdateApp app;
  app.runLauncher = [](updater::CUpdateDlg& dialog) { return dialog.DoModal(); };
  const int endCode = app.InitInstance();
  plat::get().process().exit(updater::ExitStatusOf(endCode));
}
