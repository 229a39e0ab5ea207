#include "updater/update_app.h"

#include <cstdio>
#include <string>

#include "plat/platform.h"
#include "plat/winmsg.h"
#include "updater/process_list.h"
#include "updater/server_lines.h"
#include "updater/ui_text.h"
#include "updater/update_settings.h"

namespace updater {

int CUpdateApp::InitInstance() {
  plat::Platform& p = plat::get();
  // The list holds this copy too: a second one makes two.
  if (CountProcessesNamed(p.files().exePath()) >= 2) {
    p.messageBox().show(plat::kNoWindow, GetUiText("PROCESS_EXIT"), GetUiText("caption"), plat::MB_ICONHAND);
    return 0;
  }

  const UpdaterSettings settings = LoadUpdaterSettings();
  chosenServer().id = settings.chosenId;

  CUpdateDlg dialog;
  const int endCode = runLauncher ? runLauncher(dialog) : UPDATE_END_QUIT;
  p.debugOut("update: end " + std::to_string(endCode));
  if (endCode != UPDATE_END_START) return endCode;

  if (!SaveUpdaterSettings(settings.image, chosenServer().id)) return endCode;

  const ServerLineTable& lines = serverLines();
  const std::span<const uint8_t> block = serverLineBlock(lines);
  const ClientLaunch launch = launchClient ? launchClient(block) : LaunchClient(ClientProgram(), block);
  if (!launch.pid) {
    // Said whatever the debug switch: an updated main without its executable bit fails here.
    std::fprintf(stderr, "update: cannot start main: %s\n", launch.error.c_str());
    return endCode;
  }
  p.debugOut("update: client started, " + std::to_string(block.size() / plat::SERVER_LINE_RECORD_SIZE) +
             " lines, pid " + std::to_string(*launch.pid));
  return endCode;
}

int ExitStatusOf(int endCode) { return endCode == UPDATE_END_FATAL ? 255 : 0; }

}  // namespace updater
