// Pictures for a person to look at: with VELDRA_TEST_DUMP=<folder>, suites write what they drew
// there as binary PPM files. Nothing is written when the variable is unset.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"

namespace veldra_test {

// The dump folder, or empty when pictures are not wanted.
inline std::string dumpFolder() {
  const char* folder = std::getenv("VELDRA_TEST_DUMP");
  return folder ? folder : "";
}

// A w x h picture given pixel by pixel as 0xRRGGBB, written as <folder>/<name>; says where.
inline bool dumpPpm(const std::string& name, int32_t w, int32_t h,
                    const std::function<uint32_t(int32_t x, int32_t y)>& rgb) {
  const std::string folder = dumpFolder();
  if (folder.empty()) return false;
  const std::string path = folder + "/" + name;
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << ' ' << h << "\n255\n";
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = rgb(x, y);
      const char px[3] = {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
      out.write(px, 3);
    }
  std::printf("picture: %s\n", path.c_str());
  return out.good();
}

// A 16-bit bitmap in the installed pixel format.
inline bool dumpPpm(const std::string& name, const BITMAP16* bitmap) {
  return dumpPpm(name, static_cast<int32_t>(bitmap->width), static_cast<int32_t>(bitmap->height),
                 [bitmap](int32_t x, int32_t y) { return pixel_ops.unpack_rgb(bitmap->rows[y][x]); });
}

}  // namespace veldra_test
