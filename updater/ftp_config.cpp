// The update engine's FTP settings: one copy for the program, filled by the gateway query.
#include "updater/ftp_config.h"

#include "core/reset/module_resets.h"

namespace updater {

namespace {

CFtpConfig g_engineFtp;

void resetEngineFtp() { g_engineFtp = CFtpConfig{}; }

const ModuleReset k_reset("updater ftp settings", resetEngineFtp);

}  // namespace

CFtpConfig& engineFtpConfig() { return g_engineFtp; }

}  // namespace updater
