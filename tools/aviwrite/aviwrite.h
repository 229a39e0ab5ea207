// Writes small uncompressed AVI films (24-bit bottom-up frames of a generated pattern, with an
// optional 22,050 Hz 16-bit mono PCM track) for tests, benchmarks and the sample game folder.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace aviwrite {

struct Options {
  int32_t width = 64, height = 48;
  int32_t fps = 10;
  int32_t frames = 10;
  bool audio = false;
  uint32_t toneHz = 440;  // the audio track's sine tone
};

// 0xRRGGBB of pixel (x, y) of frame k: flat 16 x 16 blocks, so that scaling and colour
// conversion keep each block's colour: R = (k x 24) & 0xFF, G = (x / 16 x 24) & 0xFF,
// B = (y / 16 x 24) & 0xFF.
uint32_t patternColour(int32_t k, int32_t x, int32_t y);

// The whole file. Throws std::invalid_argument for sizes below 1 or above 4096, a rate outside
// 1..1000 or a frame count outside 1..100000.
std::vector<uint8_t> write(const Options& options);
// The same with the frames' pixels from colour (0xRRGGBB of pixel (x, y) of frame k).
using ColourFn = std::function<uint32_t(int32_t k, int32_t x, int32_t y)>;
std::vector<uint8_t> write(const Options& options, const ColourFn& colour);
// write() into a host file; false when it cannot be written.
bool writeFile(const std::string& hostPath, const Options& options);

}  // namespace aviwrite
