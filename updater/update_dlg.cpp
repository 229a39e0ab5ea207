#include "updater/update_dlg.h"

#include "plat/platform.h"
#include "plat/winmsg.h"
#include "updater/launcher_config.h"
#include "updater/ui_text.h"

namespace updater {

CUpdateDlg::CUpdateDlg() : sink(statusQueue) {}

CUpdateDlg::CUpdateDlg(IStatusSink& s) : sink(s) {}

void CUpdateDlg::ErrorBox(std::string_view key) {
  plat::get().messageBox().show(plat::kNoWindow, GetUiText(key), GetUiText("caption"), plat::MB_ICONHAND);
}

void CUpdateDlg::EndFatal() {
  plat::get().shell().openUrl(DownloadPageUrl());
  endCode_ = UPDATE_END_FATAL;
}

}  // namespace updater
