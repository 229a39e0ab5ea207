// The folder's own files: the settings file, the registry stand-in, the item and scene tables,
// the sounds of the boxes and the game screen, the weather's clouds and the chat window's cursor.
#include <string>

#include "client/common/web_addresses.h"
#include "client/settings/settings.h"
#include "tools/curwrite/curwrite.h"
#include "tools/mdawriter/mdapack.h"
#include "tools/mkgame/item_tables.h"
#include "tools/mkgame/mkgame.h"
#include "tools/mkgame/panels.h"

namespace mkgame {

namespace {

// Line 1 of group 100100: the line the handover's first line names.
constexpr int32_t kSampleServerId = 100101;

std::vector<uint8_t> bytesOf(const std::string& t) { return std::vector<uint8_t>(t.begin(), t.end()); }

std::vector<uint8_t> settingsFile() {
  SETTINGS_RECORD s = settings_defaults();
  s.full_screen = 0;
  s.last_server_id = kSampleServerId;
  const auto bytes = settings_encode(s);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<uint8_t> registryFile() {
  std::string t = "; The sample folder's registry: the locale and the web addresses.\r\n"
                  "[HKCU\\Control Panel\\International]\r\nlocale=00000409\r\n"
                  "[HKLM\\" + std::string(WEB_ADDRESS_KEY) + "]\r\n";
  for (const WEB_ADDRESS& a : {WEB_OFFICIAL, WEB_UPDATER_MAKER, WEB_PUBLISHER, WEB_REGISTER, WEB_LOST_PASSWORD,
                               WEB_FORUM, WEB_FAQ})
    t += std::string(a.value) + "=" + a.fallback + "\r\n";
  return bytesOf(t);
}

// The weather's media file: cloud commands 0 to 3, one drifting cloud each.
std::vector<uint8_t> cloudFile() {
  mdaw::MdaFile f;
  for (int n = 0; n < 4; ++n) {
    f.command("MainCommand" + std::to_string(n));
    for (int s = 0; s < 2; ++s) {
      const std::string name = "cloud" + std::to_string(n) + "s" + std::to_string(s);
      mdaw::FrameGeometry g;
      g.box_x = static_cast<uint16_t>(100 * n + 8 * s);
      g.box_y = static_cast<uint16_t>(40 + 20 * n);
      f.frame(name, mdaw::img256_encode(panel(96 + 16 * n, 40, rgb(0xD8D8E0, 160), rgb(0xF0F0F8, 160), ""), g));
      f.step(name);
    }
  }
  return mdaw::mda_build(f);
}

}  // namespace

std::vector<GameFile> folderFiles() {
  std::vector<GameFile> out;
  out.push_back({SETTINGS_FILE_NAME, settingsFile()});
  out.push_back({"registry.ini", registryFile()});
  // The version the sample site's patch starts from.
  out.push_back({"Update.ini", bytesOf("[FTPConfig]\r\nCurrentVersion=" + std::string(SITE_BASE_VERSION) + "\r\n")});
  out.push_back({"config/item_bin.cfg", itemTable(sampleItems())});
  out.push_back({"config/scene.bin", sceneTable(sampleScenes())});
  out.push_back({"system/Cloud.ani", cloudFile()});
  out.push_back({"system/chat/chat_curor.ani", curwrite::writeAni({curwrite::arrowPicture(24, 0xF0E6C8)})});
  const struct {
    const char* name;
    int hz, ms;
  } sounds[] = {{"button01.wav", 880, 80}, {"button02.wav", 660, 80}, {"button03.wav", 990, 120},
                {"money.wav", 1320, 150},  {"Back044.wav", 440, 300}, {"call.wav", 770, 400},
                {"thunder.wav", 60, 800}};
  for (const auto& s : sounds) out.push_back({std::string("efc/") + s.name, mdaw::wave_tone(s.hz, s.ms)});
  return out;
}

}  // namespace mkgame
