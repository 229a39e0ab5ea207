#include "updater/launcher_config.h"

#include <mutex>
#include <optional>

#include "core/reset/module_resets.h"
#include "plat/cp936.h"
#include "plat/platform.h"
#include "updater/server_entry.h"

namespace updater {

namespace {

constexpr const char* LOOPBACK_URL = "http://127.0.0.1";
constexpr const char* LOOPBACK_IP = "127.0.0.1";

std::mutex g_mutex;
std::optional<LauncherConfig> g_config;

void config_reset() {
  std::lock_guard lock(g_mutex);
  g_config.reset();
}
const ModuleReset k_reset("UPDATER_LAUNCHER_CONFIG", config_reset);

std::string text(const char* value, std::string fallback) {
  auto v = plat::get().registry().readString(plat::Hive::LocalMachine, LAUNCHER_CONFIG_KEY, value);
  return v && !v->empty() ? *v : fallback;
}

}  // namespace

LauncherConfig ReadLauncherConfig() {
  LauncherConfig c;
  c.publisher = text("Publisher", LOOPBACK_URL);
  c.registerSite = text("Register", LOOPBACK_URL);
  c.forum = text("Forum", LOOPBACK_URL);
  if (auto port = plat::get().registry().readDword(plat::Hive::LocalMachine, LAUNCHER_CONFIG_KEY, "FtpPort"))
    c.ftpPort = *port;
  for (int i = 0; i < LAUNCHER_BUILTIN_SERVERS; ++i) {
    const std::string n = std::to_string(i + 1);
    const std::string ip = text(("LoginIP" + n).c_str(), LOOPBACK_IP);
    c.loginIP[i] = ip.substr(0, SERVER_IP_CHARS);
    const std::string name = text(("Name" + n).c_str(), "Server " + n);
    c.name[i] = name.substr(0, plat::cp936::wholeLength(name, SERVER_NAME_BYTES));
    c.updateAddr[i] = text(("UpdateAddr" + n).c_str(), c.publisher + "/autoupd/version.txt");
  }
  return c;
}

const LauncherConfig& launcherConfig() {
  std::lock_guard lock(g_mutex);
  if (!g_config) g_config = ReadLauncherConfig();
  return *g_config;
}

std::string DownloadPageUrl() { return launcherConfig().publisher + "/download/client.php"; }

}  // namespace updater
