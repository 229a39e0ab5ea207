// server.cfg: the input is the file, read by the key reader (words and numbers) and then by the
// server list. Any text gives at most 100 entries with bounded, terminated fields and words of at
// most 128 characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "updater/config_keys.h"
#include "updater/update_dlg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz_support::installHeadlessGameDir("server-cfg"), true);
  (void)ready;
  const std::string text(reinterpret_cast<const char*>(data), size);
  updater::CONFIG_QUERY q[4];
  const char* keys[4] = {"id1", "loginPort1", "name1", "#"};
  for (int i = 0; i < 4; ++i) {
    q[i].key = keys[i];
    q[i].flags = updater::CONFIG_WORD | (i == 1 ? updater::CONFIG_NUMBER : 0);
  }
  if (updater::ReadConfigKeysText(text, q, 4) != 0) std::abort();
  for (const auto& one : q)
    if (one.word.size() > updater::CONFIG_WORD_MAX) std::abort();
  if (q[3].flags & updater::CONFIG_FOUND) std::abort();  // a '#' never matches

  fuzz_support::writeGameFile("server.cfg", data, size);
  updater::CUpdateDlg dlg;
  dlg.SetBuiltinServers();
  if (dlg.ReadServerList() != 0) std::abort();
  if (dlg.serverCount < 0 || dlg.serverCount > updater::SERVER_ENTRY_MAX) std::abort();
  for (int i = 0; i < dlg.serverCount; ++i) {
    const updater::SERVER_ENTRY& e = dlg.servers[i];
    if (e.id == 0) std::abort();
    if (std::strlen(e.loginIP) > updater::SERVER_IP_CHARS || std::strlen(e.ver) > updater::SERVER_IP_CHARS ||
        std::strlen(e.name) > updater::SERVER_NAME_BYTES)
      std::abort();
  }
  return 0;
}
