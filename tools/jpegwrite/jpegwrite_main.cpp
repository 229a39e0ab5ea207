// jpegwrite IN.ppm|IN.pgm OUT.jpg [--quality N] [--sampling 444|422|420] [--gray] [--rgb]
//           [--progressive] [--restart N] [--accurate|--fast] [--comment TEXT]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "jpeg/jcodec.h"
#include "plat/headless.h"
#include "tools/mdawriter/mdapack.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: jpegwrite IN.ppm|IN.pgm OUT.jpg [--quality N] [--sampling 444|422|420] [--gray] [--rgb]\n"
               "                 [--progressive] [--restart N] [--accurate|--fast] [--comment TEXT]\n");
  return 2;
}

struct Options {
  std::string in, out, comment;
  int quality = 75, sampling = 420, restart = 0, dct = 1;
  bool gray = false, rgb = false, progressive = false, has_comment = false;
};

bool is_pgm(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  char magic[2] = {};
  f.read(magic, 2);
  return magic[0] == 'P' && magic[1] == '5';
}

int write(const Options& o) {
  std::vector<uint8_t> px;
  int w = 0, h = 0, ch = 3;
  if (is_pgm(o.in)) {
    px = mdaw::read_pgm(o.in, &w, &h);
    ch = 1;
  } else {
    const mdaw::Picture pic = mdaw::read_ppm(o.in);
    w = pic.width;
    h = pic.height;
    px.reserve(size_t(w) * h * 3);
    for (const auto& p : pic.pixels) px.insert(px.end(), {p.r, p.g, p.b});
  }
  if (w < 1 || h < 1) throw std::runtime_error("empty picture " + o.in);
  // the codec writes through the platform's files, rooted at the output's folder
  const std::filesystem::path target = std::filesystem::absolute(o.out);
  plat::HeadlessOptions ho;
  ho.gameDir = target.parent_path().string();
  ho.watchdog = false;
  plat::installHeadless(ho);
  const std::string name = target.filename().string();

  JPEG_IMAGE_PROPS p{};
  if (JpegCodecInit(&p) != 0) throw std::runtime_error("codec init failed");
  p.dib_bytes = px.data();
  p.dib_width = w;
  p.dib_height = h;
  p.dib_channels = ch;
  p.dib_color = ch == 1 ? JPEG_COLOR_GRAY : JPEG_COLOR_RGB;
  p.jpg_file = name.c_str();
  p.jpg_width = w;
  p.jpg_height = h;
  p.quality = o.quality;
  if (ch == 1 || o.gray) {
    p.jpg_channels = 1;
    p.jpg_color = JPEG_COLOR_GRAY;
    p.jpg_subsampling = 0;
  } else {
    p.jpg_channels = 3;
    p.jpg_color = o.rgb ? JPEG_COLOR_RGB : JPEG_COLOR_YCBCR;
    p.jpg_subsampling = o.sampling == 444 ? 0 : o.sampling == 422 ? 2 : 1;
  }
  p.state.dct_method = o.dct;
  p.state.progressive_switch = o.progressive ? 1 : 0;
  p.state.restart_interval = o.restart;
  std::string comment = o.comment;
  if (o.has_comment) {
    p.state.jpeg_comment = comment.data();
    p.state.jpeg_comment_size = static_cast<uint16_t>(std::min<size_t>(comment.size(), 65535));
  }
  const int32_t rc = JpegCodecWrite(&p, JPEG_WRITE_IMAGE_FILE);
  JpegCodecFree(&p);
  if (rc != 0) throw std::runtime_error(std::string("write failed: ") + JpegCodecErrorText(rc));
  return 0;
}

int number(const char* s) {
  char* end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < 0 || v > 65535) throw std::runtime_error(std::string("bad number ") + s);
  return static_cast<int>(v);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    Options o;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
      const std::string a = argv[i];
      const bool more = i + 1 < argc;
      if (a == "--quality" && more) o.quality = number(argv[++i]);
      else if (a == "--sampling" && more) o.sampling = number(argv[++i]);
      else if (a == "--restart" && more) o.restart = number(argv[++i]);
      else if (a == "--comment" && more) o.comment = argv[++i], o.has_comment = true;
      else if (a == "--gray") o.gray = true;
      else if (a == "--rgb") o.rgb = true;
      else if (a == "--progressive") o.progressive = true;
      else if (a == "--accurate") o.dct = 1;
      else if (a == "--fast") o.dct = 0;
      else if (!a.empty() && a[0] != '-') files.push_back(a);
      else return usage();
    }
    if (files.size() != 2 || o.quality < 1 || o.quality > 100 ||
        (o.sampling != 444 && o.sampling != 422 && o.sampling != 420))
      return usage();
    o.in = files[0];
    o.out = files[1];
    return write(o);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "jpegwrite: %s\n", e.what());
    return 1;
  }
}
