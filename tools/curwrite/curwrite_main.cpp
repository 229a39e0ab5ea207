// curwrite <file.cur|file.ani> [frames] [size] [bits] | curwrite --set <folder>
// Writes generated arrow cursors (bits per pixel 1, 4, 8, 24 or 32; an ".ani" of three frames or
// more also gets a rate table and a back-and-forth sequence); --set writes MOUSE0.ani to
// MOUSE12.ani into the folder.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tools/curwrite/curwrite.h"

namespace {

bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "curwrite: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

std::vector<plat::CursorFrame> arrows(int frames, int size, uint32_t seed) {
  std::vector<plat::CursorFrame> out;
  for (int i = 0; i < frames; ++i) out.push_back(curwrite::arrowPicture(size, (seed * 0x2F1B3D + i * 0x3050A0u) & 0xFFFFFF));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--set") {
    for (int n = 0; n < curwrite::kCursorSetSize; ++n)
      if (!save(std::string(argv[2]) + "/MOUSE" + std::to_string(n) + ".ani", curwrite::cursorSetFile(n))) return 1;
    return 0;
  }
  if (argc < 2 || argc > 5) {
    std::fprintf(stderr, "usage: curwrite <file.cur|file.ani> [frames] [size] [bits] | curwrite --set <folder>\n");
    return 2;
  }
  const std::string path = argv[1];
  const int frames = argc > 2 ? std::atoi(argv[2]) : 1;
  const int size = argc > 3 ? std::atoi(argv[3]) : 32;
  const int bits = argc > 4 ? std::atoi(argv[4]) : 32;
  if (frames < 1 || frames > 64 || size < 1 || size > 256 ||
      (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)) {
    std::fprintf(stderr, "curwrite: frames 1-64, size 1-256, bits 1, 4, 8, 24 or 32\n");
    return 2;
  }
  const bool ani = path.size() >= 4 && path.compare(path.size() - 4, 4, ".ani") == 0;
  // One bit holds only black and white.
  std::vector<plat::CursorFrame> pictures = arrows(frames, size, 7);
  if (bits == 1)
    for (plat::CursorFrame& p : pictures) p = curwrite::arrowPicture(size, 0xFFFFFF);
  curwrite::AniOptions o;
  o.bitsPerPixel = bits;
  if (frames >= 3) {
    for (int i = 0; i < frames; ++i) o.sequence.push_back(static_cast<uint32_t>(i));
    for (int i = frames - 2; i > 0; --i) o.sequence.push_back(static_cast<uint32_t>(i));
    for (size_t i = 0; i < o.sequence.size(); ++i) o.rates.push_back(static_cast<uint32_t>(4 + i % 3));
  }
  try {
    return save(path, ani ? curwrite::writeAni(pictures, o) : curwrite::writeCur(pictures[0], bits)) ? 0 : 1;
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "curwrite: %s\n", e.what());
    return 1;
  }
}
