// Writes Windows cursor files (".cur" and RIFF "ACON" ".ani") from pictures, for tests, fuzz
// seeds and the sample game folder.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "plat/cursor.h"

namespace curwrite {

// A picture in any of the depths a cursor file stores: 1, 4 and 8 bits use a palette of the
// picture's opaque colours (black first) and the AND mask for transparency; 24 bits the mask;
// 32 bits the alpha channel and the mask. Pixels with alpha below 128 are transparent in the
// masked depths. Throws std::invalid_argument when the colours do not fit the palette.
std::vector<uint8_t> writeCur(const plat::CursorFrame& picture, int bitsPerPixel = 32);

struct AniOptions {
  uint32_t displayRate = 6;           // jiffies (1/60 s) per step without a rate table
  std::vector<uint32_t> rates;        // a "rate" chunk when not empty
  std::vector<uint32_t> sequence;     // a "seq " chunk when not empty
  int bitsPerPixel = 32;
};
std::vector<uint8_t> writeAni(const std::vector<plat::CursorFrame>& frames, const AniOptions& options = {});

// A generated arrow of size x size pixels pointing up-left, hot spot at its tip (0, 0), in the
// given colour (0xRRGGBB) with a black outline; the rest transparent.
plat::CursorFrame arrowPicture(int32_t size, uint32_t colour);

// The sample game folder's cursor set: MOUSE0.ani (one frame) to MOUSE12.ani (2 to 4 frames).
constexpr int kCursorSetSize = 13;
std::vector<uint8_t> cursorSetFile(int n);

}  // namespace curwrite
