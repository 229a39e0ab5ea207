// Writes the seed corpora of fuzz_mda (media files) and fuzz_img256 (frames) with the writers.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace {

void put(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

mdaw::Picture disc(int w, int h) {
  mdaw::Picture p = mdaw::picture_fill(w, h, {0, 0, 0, 0});
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int dx = 2 * x - w, dy = 2 * y - h;
      if (dx * dx + dy * dy < w * h) p.at(x, y) = {static_cast<uint8_t>(40 * (x % 6)), static_cast<uint8_t>(30 * (y % 8)), 90,
                                                    static_cast<uint8_t>(dx * dx + dy * dy < w * h / 2 ? 255 : 100)};
    }
  }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: mda_seed_maker <fuzz_mda dir> <fuzz_img256 dir>\n");
    return 2;
  }
  const std::string mda = argv[1], img = argv[2];
  const std::vector<uint8_t> sprite = mdaw::img256_encode(disc(12, 10), {0, 0, 6, 9});
  const std::vector<uint8_t> block = mdaw::img256_encode(mdaw::picture_fill(5, 3, {200, 40, 10, 180}), {2, 3, 1, 1});
  put(img + "/disc.img", sprite);
  put(img + "/block.img", block);
  mdaw::RawFrame raw;
  raw.width = 4;
  raw.height = 2;
  raw.stream = {255, 2, 0, 1, 255, 2, 8, 254, 1, 0, 253, 255, 4, 0, 3, 191, 4, 200, 5, 7, 6, 0, 253};
  put(img + "/raw.img", mdaw::img256_build(raw));
  // Runs and skips past the width, rows past the height: loaded, and cut when drawn.
  mdaw::RawFrame over = raw;
  over.height = 1;
  over.stream = {255, 6, 0, 1, 255, 2, 200, 3, 90, 4, 8, 5, 255, 6, 30, 253, 254, 3, 0, 255, 2, 0, 7, 255, 8, 9, 253};
  put(img + "/over.img", mdaw::img256_build(over));

  mdaw::MdaFile anim;
  anim.frame("a0", sprite).frame("a1", block).frame("snd", mdaw::wave_tone(300, 2)).frame("cmd", {'m', 'a', 'g', 'i', 'c'});
  anim.command("MainCommand0").step("a0").second("snd").step("a1").step("goto 0");
  anim.command("MainCommand1").step("cmd").step("attack 90").second("a1");
  put(mda + "/anim.mda", mdaw::mda_build(anim));
  mdaw::MdaFile button;
  button.frame("up", block).command("MainCommand0").step("up");
  put(mda + "/button.mda", mdaw::mda_build(button));
  mdaw::MdaFile empty;
  put(mda + "/empty.mda", mdaw::mda_build(empty));
  return 0;
}
