// The launcher's run until the dialog window exists: no pages and no buttons, the dialog's chain
// in order. The server list is fetched and read, the saved entry chosen, its version file
// fetched and checked; then either the patches are applied and the self-replacement program
// restarts the updater (end 2), or the gateway is asked for the lines (end 1). Each failure
// shows the dialog's fatal box and ends with 10.
#include <string>
#include <thread>

#include "plat/platform.h"
#include "updater/fetch_window.h"
#include "updater/http_downloader.h"
#include "updater/launcher_config.h"
#include "updater/module_path.h"
#include "updater/patch_apply.h"
#include "updater/process_list.h"
#include "updater/progress_sink.h"
#include "updater/update_dlg.h"
#include "updater/update_engine.h"

namespace updater {

namespace {

// Without a window the progress goes to the debugger output.
class DebugProgress final : public IProgressSink {
 public:
  void OnFetchVersion(std::string_view version) override {
    plat::get().debugOut("update: fetching " + std::string(version));
  }
  void OnFileStart() override {}
  void OnFileProgress(int32_t, int32_t, int32_t) override {}
  void OnFileDone(int32_t fileSize) override {
    plat::get().debugOut("update: archive of " + std::to_string(fileSize) + " bytes done");
  }
};

}  // namespace

int CUpdateDlg::DoModal() {
  plat::Platform& p = plat::get();
  auto fatal = [&](std::string_view key) {
    ErrorBox(key);
    DeleteDownloadedArchive();
    EndFatal();
    return endCode_;
  };
  SetBuiltinServers();
  CHttpDownloader http(timing);
  FetchRequest list;
  list.url = launcherConfig().publisher + "/autoupd/server.txt";
  list.localPath = ModulePath("server.cfg");
  list.windowMs = timing.smallFetchWindowMs;
  if (!FetchWithinWindow(http, list, timing)) p.debugOut("update: server list not fetched: " + list.url);
  ReadServerList();
  if (!ChooseServer(chosenServer().id)) return endCode_ = UPDATE_END_QUIT;
  const SERVER_ENTRY& chosen = chosenServer();
  p.debugOut("update: chosen " + std::to_string(chosen.id) + " " + chosen.loginIP + ":" +
             std::to_string(chosen.loginPort));

  FetchRequest version;
  version.url = currentUpdateAddr;
  version.localPath = ModulePath("version.txt");
  version.windowMs = timing.smallFetchWindowMs;
  if (!FetchWithinWindow(http, version, timing) && !FetchWithinWindow(http, version, timing))
    return fatal("WRITE_DOOR_ERROR");

  DebugProgress progress;
  CUpdateEngine engine;
  engine.timing = timing;
  if (!engine.CheckVersion(ModulePath("Update.ini"), &progress, 0)) return fatal("CONNECT_FTP_ERROR");
  if (engine.GetFileCount() > 0) {
    if (IsProcessRunning(ModulePath("main.exe"))) {
      ErrorBox("PROCESS_EXIT");
      DeleteDownloadedArchive();
      return endCode_ = UPDATE_END_START;
    }
    if (!engine.DownloadPatches()) return fatal("DOWN_FTP_ERROR");
    StartSelfReplace("replaceself.dll", p.process().currentId());
    DeleteDownloadedArchive();
    return endCode_ = UPDATE_END_QUIT;
  }

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
    if (s.code == UPD_WRITE_DOOR_ERROR) return fatal("WRITE_DOOR_ERROR");
  }
}

}  // namespace updater
