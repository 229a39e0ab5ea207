// The FTP settings of one ini file. Only "CurrentVersion" ever reaches the file; the server and
// directory come from the gateway and live in memory.
#pragma once
#include <string>

namespace updater {

struct CFtpConfig {
  static constexpr const char* SECTION = "FTPConfig";
  static constexpr const char* KEY_SERVER = "Server";
  static constexpr const char* KEY_USER = "UserName";
  static constexpr const char* KEY_PASSWORD = "UserPassword";
  static constexpr const char* KEY_DIRECTORY = "FTPDirectory";
  static constexpr const char* KEY_VERSION = "CurrentVersion";

  std::string iniPath;
  std::string server;
  std::string userName = "anonymous";
  std::string password;
  std::string directory;
};

// The update engine's copy, which the gateway query fills.
CFtpConfig& engineFtpConfig();

}  // namespace updater
