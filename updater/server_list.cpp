// The dialog's server list: the built-in entries, server.cfg, and the chosen entry.
#include <climits>
#include <cstdlib>
#include <string>

#include "updater/config_keys.h"
#include "updater/launcher_config.h"
#include "updater/module_path.h"
#include "updater/update_dlg.h"

namespace updater {

namespace {

constexpr int32_t BUILTIN_IDS[LAUNCHER_BUILTIN_SERVERS] = {200300, 100200, 200200, 100000, 200000, 200100};
constexpr uint16_t BUILTIN_PORT = 9997;
constexpr const char* BUILTIN_VERSION = "1.0.1";

enum Key { KEY_ID, KEY_LINE, KEY_LOGIN_IP, KEY_VER, KEY_NAME, KEY_LOGIN_PORT, KEY_UPDATE_ADDR, KEY_COUNT };
constexpr const char* KEY_FORMATS[KEY_COUNT] = {"id", "line", "loginIP", "ver", "name", "loginPort", "updateAddr"};

// atoi without its undefined overflow: the value is clamped to int.
int toInt(const std::string& text) {
  const long long v = std::strtoll(text.c_str(), nullptr, 10);
  return v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

}  // namespace

void CUpdateDlg::SetBuiltinServers() {
  const LauncherConfig& config = launcherConfig();
  for (int i = 0; i < LAUNCHER_BUILTIN_SERVERS; ++i) {
    SERVER_ENTRY& e = servers[i];
    e = SERVER_ENTRY{};
    e.id = BUILTIN_IDS[i];
    SetEntryIP(e, config.loginIP[i]);
    e.loginPort = BUILTIN_PORT;
    e.line = 1;
    SetEntryVersion(e, BUILTIN_VERSION);
    SetEntryName(e, config.name[i]);
    updateAddrs[i] = config.updateAddr[i];
  }
  serverCount = LAUNCHER_BUILTIN_SERVERS;
}

int CUpdateDlg::ReadServerList() {
  const std::string path = ModulePath("server.cfg");
  int n = 0;
  for (; n < SERVER_ENTRY_MAX; ++n) {
    CONFIG_QUERY q[KEY_COUNT];
    for (int k = 0; k < KEY_COUNT; ++k) {
      q[k].flags = CONFIG_WORD;
      q[k].key = KEY_FORMATS[k] + std::to_string(n + 1);
    }
    // The file is read again for every entry.
    if (ReadConfigKeys(path, q, KEY_COUNT) != 0) return -1;
    const int id = toInt(q[KEY_ID].word);
    if (id == 0) break;
    SERVER_ENTRY& e = servers[n];
    e = SERVER_ENTRY{};
    e.id = id;
    e.line = static_cast<uint8_t>(toInt(q[KEY_LINE].word));
    SetEntryIP(e, q[KEY_LOGIN_IP].word);
    SetEntryVersion(e, q[KEY_VER].word);
    SetEntryName(e, q[KEY_NAME].word);
    e.loginPort = static_cast<uint16_t>(toInt(q[KEY_LOGIN_PORT].word));
    updateAddrs[n] = q[KEY_UPDATE_ADDR].word;
  }
  serverCount = n;
  return 0;
}

bool CUpdateDlg::ChooseServer(int32_t id) {
  if (serverCount <= 0) return false;
  chosenIndex = 0;
  for (int i = 0; i < serverCount; ++i) {
    if (servers[i].id == id) {
      chosenIndex = i;
      break;
    }
  }
  chosenServer() = servers[chosenIndex];
  currentUpdateAddr = updateAddrs[chosenIndex];
  return true;
}

}  // namespace updater
