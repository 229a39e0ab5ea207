// mkgame OUT [--startup DIR]: writes the sample game folder into OUT.
#include <cstdio>
#include <exception>
#include <string>

#include "plat/headless.h"
#include "tools/mkgame/mkgame.h"

int main(int argc, char** argv) {
  std::string out, startup = mkgame::defaultStartupDir();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--startup" && i + 1 < argc) {
      startup = argv[++i];
    } else if (out.empty() && !a.empty() && a[0] != '-') {
      out = a;
    } else {
      out.clear();
      break;
    }
  }
  if (out.empty()) {
    std::fprintf(stderr, "usage: mkgame OUT [--startup DIR]\n"
                         "Writes the sample game folder: the start-up files from the manifests in DIR\n"
                         "(default %s), the cursors, the front-end screens' art and the folder's own\n"
                         "files. OUT is empty or made by mkgame (it holds .sample); veldra.cfg is kept.\n",
                 mkgame::defaultStartupDir().c_str());
    return 2;
  }
  try {
    const std::vector<mkgame::GameFile> files = mkgame::gameFiles(startup);
    mkgame::writeGame(out, files);
    // The BMP writer writes through a platform: a headless one rooted in the folder.
    plat::HeadlessOptions o;
    o.gameDir = out;
    o.watchdog = false;
    plat::installHeadless(o);
    mkgame::writeChatBackgrounds();
    plat::install(nullptr);
    std::printf("mkgame: %zu files in %s\n", files.size() + 5, out.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkgame: %s\n", e.what());
    return 1;
  }
  return 0;
}
