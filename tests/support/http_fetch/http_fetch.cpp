// One download with the updater's HTTP downloader, for tests that kill it midway and run it
// again: http_fetch URL LOCAL-NAME [segments]. Runs in the game folder VELDRA_GAME_DIR on the
// platform the environment names (the tests use the headless one on the real clock). Exit
// status 0 when the file is complete, else the downloader's code cut to 8 bits (1 at least).
#include <cstdlib>
#include <string>

#include "plat/platform.h"
#include "updater/http_downloader.h"
#include "updater/module_path.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  plat::installFromEnvironment();
  if (!plat::enterGameFolder()) return 3;
  const int segments = argc > 3 ? std::atoi(argv[3]) : updater::HTTP_SEGMENT_COUNT;
  updater::CHttpDownloader downloader;
  int rc = downloader.Start(argv[1], updater::ModulePath(argv[2]), nullptr, segments);
  if (rc == 0) rc = downloader.Wait();
  downloader.Reset();
  plat::get().process().exit(rc == 0 ? 0 : (rc & 0xFF) ? (rc & 0xFF) : 1);
}
