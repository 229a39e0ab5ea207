// Where the game folder and the registry file come from, through every way a backend starts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/common/host_paths.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "tests/support/temp_game_dir.h"

namespace {

void setOrUnset(const char* name, const std::string& value) {
  if (value.empty()) {
    unsetenv(name);
  } else {
    setenv(name, value.c_str(), 1);
  }
}

TEST(GameDir, EveryBackendTakesTheSameFolderAndRegistryFile) {
  veldra_test::TempGameDir dir;
  dir.write("game/registry.ini", "[HKCR\\.htm]\n@=game\n");
  dir.write("other.ini", "[HKCR\\.htm]\n@=other\n");
  const std::string game = dir.hostPath("game");
  const std::filesystem::path startDir = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());

  struct Case {
    std::string gameEnv, registryEnv;  // "" = unset
    std::string wantDir;
    const char* wantValue;  // nullptr: whatever lies beside the test program
  };
  const Case cases[] = {
      {game, "", game, "game"},
      {game + "/", "", game, "game"},
      {dir.path() + "/x/../game", "", game, "game"},
      {"game", "", game, "game"},  // relative to the current folder
      {game, dir.hostPath("other.ini"), game, "other"},
      // Unset: the program's folder, never the current one.
      {"", "", plat::common::executableDir(), nullptr},
      {"", dir.hostPath("other.ini"), plat::common::executableDir(), "other"},
  };
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  for (const Case& c : cases) {
    setOrUnset("VELDRA_GAME_DIR", c.gameEnv);
    setOrUnset("VELDRA_REGISTRY", c.registryEnv);
    for (const char* backend : {"headless", "sdl", "headless options"}) {
      const std::string how = std::string(backend) + " with VELDRA_GAME_DIR='" + c.gameEnv + "'";
      setOrUnset("VELDRA_PLATFORM", backend == std::string("sdl") ? "sdl" : "headless");
      plat::reloadEnvironment();
      if (backend == std::string("headless options")) {
        plat::installHeadless();  // no folder given: the same choice as the program's start
      } else {
        plat::installFromEnvironment();
      }
      EXPECT_EQ(plat::get().files().gameDir(), c.wantDir) << how;
      if (c.wantValue) {
        EXPECT_EQ(plat::get().registry().readString(plat::Hive::ClassesRoot, ".htm", ""), c.wantValue) << how;
      }
      plat::install(nullptr);
    }
  }
  for (const char* v : {"VELDRA_GAME_DIR", "VELDRA_REGISTRY", "VELDRA_PLATFORM", "SDL_VIDEODRIVER"}) unsetenv(v);
  plat::reloadEnvironment();
  std::filesystem::current_path(startDir);
}

}  // namespace
