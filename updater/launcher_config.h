// The launcher's deployment settings: values of HKEY_LOCAL_MACHINE "Software\Veldra\Launcher"
// in the registry file. Every value is optional and defaults to loopback, so an unconfigured
// updater talks to no other machine.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace updater {

constexpr const char* LAUNCHER_CONFIG_KEY = "Software\\Veldra\\Launcher";
constexpr int LAUNCHER_BUILTIN_SERVERS = 6;

struct LauncherConfig {
  std::string publisher;  // base URL of the publisher's web server ("Publisher")
  std::string registerSite;  // "Register"
  std::string forum;      // "Forum"
  uint32_t ftpPort = 21;  // "FtpPort", a dword
  // "LoginIP1".."LoginIP6" (15 characters), "Name1".."Name6" (12 bytes, whole characters),
  // "UpdateAddr1".."UpdateAddr6".
  std::array<std::string, LAUNCHER_BUILTIN_SERVERS> loginIP;
  std::array<std::string, LAUNCHER_BUILTIN_SERVERS> name;
  std::array<std::string, LAUNCHER_BUILTIN_SERVERS> updateAddr;
};

// Read from the registry on first use, then kept for the run.
const LauncherConfig& launcherConfig();
// The registry's values now, over the defaults.
LauncherConfig ReadLauncherConfig();

// The download page of the fatal road.
std::string DownloadPageUrl();

}  // namespace updater
