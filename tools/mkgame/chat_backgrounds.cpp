// The chat window's five backgrounds: 24-bit BMP tiles (the window makes a pattern brush of one),
// written by the game's own BMP writer through the installed platform's file layer.
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "graphics/bmp/bmp.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tools/mkgame/mkgame.h"

namespace mkgame {

void writeChatBackgrounds() {
  constexpr int kSize = 64;
  const uint32_t tints[5] = {0x182030, 0x203018, 0x301820, 0x282818, 0x202020};
  for (int n = 0; n < 5; ++n) {
    std::vector<uint16_t> px(kSize * kSize);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        // A soft diagonal weave over the tint, seamless at the tile's edges.
        const uint32_t lift = static_cast<uint32_t>(((x + y) % 16 < 2 ? 24 : 0) + ((x - y + kSize) % 16 < 1 ? 12 : 0));
        const uint32_t c = tints[n] + (lift << 16) + (lift << 8) + lift;
        px[static_cast<size_t>(y) * kSize + x] = pixel_ops.pack_rgb(c);
      }
    char path[48];
    std::snprintf(path, sizeof path, "system/chat/chat_back%d.bmp", n);
    if (bmp_save_pixels(px.data(), kSize, kSize, path) != 0) throw std::runtime_error(std::string("mkgame: cannot write ") + path);
  }
}

}  // namespace mkgame
