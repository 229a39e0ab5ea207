// Writes the seed corpus of fuzz_jpeg_read: small pictures in each coding style, each behind an
// 8-byte option header (see fuzz/fuzz_jpeg_read.cpp).
#include <cstdio>
#include <string>
#include <vector>

#include "tools/jpegwriter/jpegref.h"

namespace {

void put(const std::string& dir, const std::string& name, std::vector<uint8_t> header, const std::vector<uint8_t>& jpeg) {
  header.insert(header.end(), jpeg.begin(), jpeg.end());
  std::string path = dir + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(header.data(), 1, header.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: jpeg_seed_maker <dir>\n");
    return 2;
  }
  const std::string dir = argv[1];
  using namespace jpegref;
  Image rgb = make_source(37, 29, 3), small = make_source(16, 16, 3), quad = make_source(16, 8, 4);
  EncodeOpts base;
  put(dir, "baseline420", {1, 0, 37, 29, 0, 0, 0, 0}, encode(rgb, base));
  EncodeOpts o422 = base;
  o422.h0 = 2, o422.v0 = 1, o422.restart_blocks = 2;
  put(dir, "restart422", {1, 1, 37, 29, 3, 2, 30, 20}, encode(rgb, o422));
  EncodeOpts g = base;
  g.grayscale = true, g.h0 = 2, g.v0 = 2;
  put(dir, "gray", {3, 2, 16, 16, 0, 0, 0, 0}, encode(small, g));
  EncodeOpts p = base;
  p.progressive = true;
  put(dir, "progressive", {2, 0x80, 37, 29, 0, 0, 0, 0}, encode(rgb, p));
  put(dir, "progressive_roi", {0x82, 0, 20, 20, 5, 5, 25, 25}, encode(rgb, p));
  EncodeOpts q = base;
  q.quality = 5, q.force_baseline = false, q.h0 = 1, q.v0 = 1;
  put(dir, "sof1", {4, 0, 19, 15, 0, 0, 0, 0}, encode(rgb, q));
  EncodeOpts c = base;
  c.h0 = 1, c.v0 = 1;
  put(dir, "cmyk", {1, 4, 16, 8, 0, 0, 0, 0}, encode(quad, c));
  EncodeOpts y = c;
  y.ycck = true, y.h0 = 2, y.v0 = 2;
  put(dir, "ycck", {1, 4, 16, 8, 0, 0, 0, 0}, encode(quad, y));
  EncodeOpts s = base;
  s.scans = script_successive(3);
  put(dir, "successive", {0x41, 0, 16, 16, 0, 0, 0, 0}, encode(small, s));
  EncodeOpts one = base;
  one.scans = script_per_component(3);
  put(dir, "per_component", {9, 0, 16, 16, 0, 0, 0, 0}, encode(small, one));
  return 0;
}
