// aviwrite <out.avi> [WIDTHxHEIGHT] [fps] [frames] [audio]
// Writes an uncompressed film of the generated pattern (default 64x48, 10 fps, 10 frames);
// "audio" adds a 22,050 Hz 16-bit mono tone.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "tools/aviwrite/aviwrite.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 6) {
    std::fprintf(stderr, "usage: aviwrite <out.avi> [WIDTHxHEIGHT] [fps] [frames] [audio]\n");
    return 2;
  }
  aviwrite::Options o;
  if (argc > 2 && std::sscanf(argv[2], "%dx%d", &o.width, &o.height) != 2) {
    std::fprintf(stderr, "aviwrite: size must be WIDTHxHEIGHT\n");
    return 2;
  }
  if (argc > 3) o.fps = std::atoi(argv[3]);
  if (argc > 4) o.frames = std::atoi(argv[4]);
  if (argc > 5) o.audio = std::string(argv[5]) == "audio";
  try {
    if (!aviwrite::writeFile(argv[1], o)) {
      std::fprintf(stderr, "aviwrite: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "aviwrite: bad %s\n", e.what());
    return 2;
  }
  return 0;
}
