// Random archive bytes unpacked by minizip through the extraction into a folder of the game
// folder: never a crash, and nothing lands beside that folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "plat/headless.h"
#include "plat/platform.h"
#include "updater/extract_zip.h"
#include "updater/module_path.h"

namespace fs = std::filesystem;

namespace {

// game/ is the game folder; game/out receives the entries; game/bin.zip is the archive.
fs::path setUp() {
  std::random_device rd;
  const fs::path base = fs::temp_directory_path() / ("fuzz_zip_extract-" + std::to_string(rd()));
  fs::create_directories(base / "game");
  plat::HeadlessOptions o;
  o.gameDir = (base / "game").string();
  o.watchdog = false;
  plat::installHeadless(o);
  return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fs::path base = setUp();
  const fs::path game = base / "game";
  fs::remove_all(game / "out");
  fs::create_directories(game / "out");
  {
    std::ofstream zip(game / "bin.zip", std::ios::binary | std::ios::trunc);
    zip.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const int result = updater::ExtractZipToFolder(updater::ModulePath("bin.zip"), updater::ModulePath("out"));
  if (result != 0 && result != 1) std::abort();
  for (const auto& e : fs::directory_iterator(game))
    if (e.path().filename() != "out" && e.path().filename() != "bin.zip") std::abort();
  if (std::distance(fs::directory_iterator(base), fs::directory_iterator()) != 1) std::abort();
  return 0;
}
