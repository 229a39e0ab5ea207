// mkgame OUT [--startup DIR]: writes the sample game folder into OUT.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "plat/headless.h"
#include "tools/mkgame/mkgame.h"

int main(int argc, char** argv) {
  std::string out, startup = mkgame::defaultStartupDir(), site, baseUrl;
  int gatewayPort = 0;
  bool patch = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--startup" && i + 1 < argc) {
      startup = argv[++i];
    } else if (a == "--site" && i + 1 < argc) {
      site = argv[++i];
    } else if (a == "--base-url" && i + 1 < argc) {
      baseUrl = argv[++i];
    } else if (a == "--gateway-port" && i + 1 < argc) {
      gatewayPort = std::atoi(argv[++i]);
    } else if (a == "--patch") {
      patch = true;
    } else if (out.empty() && !a.empty() && a[0] != '-') {
      out = a;
    } else {
      out.clear();
      break;
    }
  }
  if (out.empty() || (!site.empty() && baseUrl.empty())) {
    std::fprintf(stderr, "usage: mkgame OUT [--startup DIR] [--site DIR --base-url URL --gateway-port N [--patch]]\n"
                         "Writes the sample game folder: the start-up files from the manifests in DIR\n"
                         "(default %s), the cursors, the front-end screens' art and the folder's own\n"
                         "files. OUT is empty or made by mkgame (it holds .sample); veldra.cfg is kept.\n"
                         "--site writes the updater's web site into DIR: autoupd/server.txt (the entry Demo,\n"
                         "id 100100, its gateway on the given port) and autoupd/version.txt, which lists one\n"
                         "patch (patches/p1.zip) with --patch and nothing otherwise; URL is the site's base.\n",
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
    if (!site.empty()) mkgame::writeSite(site, baseUrl, gatewayPort, patch);
    std::printf("mkgame: %zu files in %s\n", files.size() + 5, out.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkgame: %s\n", e.what());
    return 1;
  }
  return 0;
}
