// The start-up media set of tools/startup (media/<folder>/<name>.txt) packed into a test's game
// folder as <folder>/<name>.mda, so that the start-up task finds every file it opens.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_game_dir.h"
#include "tools/mdawriter/mdapack.h"

namespace client_test {

inline void write_startup_media(const veldra_test::TempGameDir& dir) {
  namespace fs = std::filesystem;
  const fs::path root = VELDRA_STARTUP_MEDIA;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file() || e.path().extension() != ".txt") continue;
    const std::vector<uint8_t> bytes = mdaw::mda_build(mdaw::read_manifest(e.path().string()));
    const fs::path rel = fs::relative(e.path(), root).replace_extension(".mda");
    dir.write(rel.string(), std::string(bytes.begin(), bytes.end()));
  }
}

}  // namespace client_test
