#include "tests/support/scene_looks.h"

#include <cstdio>

#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace veldra_test {

std::string sceneLookBytes(int commands, const std::vector<int>& steps) {
  mdaw::MdaFile f;
  mdaw::FrameGeometry g;
  g.hot_x = 8;
  g.hot_y = 30;
  f.frame("body", mdaw::img256_encode(mdaw::picture_fill(16, 32, {200, 120, 40, 255}), g));
  for (int n = 0; n < commands; ++n) {
    f.command("MainCommand" + std::to_string(n));
    const int count = n < static_cast<int>(steps.size()) ? steps[static_cast<size_t>(n)] : 1;
    for (int s = 0; s < count; ++s) f.step("body");
  }
  const std::vector<uint8_t> bytes = mdaw::mda_build(f);
  return std::string(bytes.begin(), bytes.end());
}

void writeSceneLook(const TempGameDir& dir, int look, int commands, const std::vector<int>& steps) {
  char name[40];
  std::snprintf(name, sizeof name, "NPC/NPC%03da.MDA", look);
  dir.write(name, sceneLookBytes(commands, steps));
}

}  // namespace veldra_test
