// The version check over any version file: the list it builds has a value and a size per version,
// a total that is never negative, and the same answers when asked twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "plat/headless.h"
#include "plat/platform.h"
#include "updater/module_path.h"
#include "updater/update_engine.h"

namespace fs = std::filesystem;

namespace {

fs::path setUp() {
  std::random_device rd;
  const fs::path game = fs::temp_directory_path() / ("fuzz_version_txt-" + std::to_string(rd()));
  fs::create_directories(game);
  std::ofstream(game / "Update.ini", std::ios::binary) << "[FTPConfig]\r\nCurrentVersion=1.2.0.5\r\n";
  std::ofstream(game / "MUpdate.ini", std::ios::binary) << "[FTPConfig]\r\nCurrentVersion=1.1\r\n";
  plat::HeadlessOptions o;
  o.gameDir = game.string();
  o.watchdog = false;
  plat::installHeadless(o);
  return game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path game = setUp();
  {
    std::ofstream out(game / "version.txt", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  updater::CUpdateEngine engine;
  if (engine.CheckVersion(updater::ModulePath("Update.ini"), nullptr, 0) != 1) std::abort();
  const auto versions = engine.versions();
  const int32_t total = engine.GetTotalSize();
  if (engine.values().size() != versions.size() || total < 0) std::abort();
  if (engine.CheckVersion(updater::ModulePath("Update.ini"), nullptr, 0) != 1) std::abort();
  if (engine.versions() != versions || engine.GetTotalSize() != total) std::abort();
  return 0;
}
