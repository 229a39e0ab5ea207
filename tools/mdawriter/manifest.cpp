#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "tools/mdawriter/mdapack.h"

namespace mdaw {

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Reads the header fields of a binary netpbm file; pos is left on the first pixel byte.
void netpbm_head(const std::string& d, const char* magic, int* w, int* h, size_t* pos) {
  if (d.compare(0, 2, magic) != 0) throw std::runtime_error(std::string("not a ") + magic + " file");
  size_t p = 2;
  int values[3] = {};
  for (int& v : values) {
    while (p < d.size() && (std::isspace(static_cast<unsigned char>(d[p])) || d[p] == '#')) {
      if (d[p] == '#') {
        while (p < d.size() && d[p] != '\n') ++p;
      } else {
        ++p;
      }
    }
    size_t start = p;
    while (p < d.size() && std::isdigit(static_cast<unsigned char>(d[p]))) ++p;
    if (start == p) throw std::runtime_error("bad netpbm header");
    v = std::stoi(d.substr(start, p - start));
  }
  if (values[2] != 255) throw std::runtime_error("netpbm maximum value must be 255");
  *w = values[0];
  *h = values[1];
  *pos = p + 1;
}

std::pair<int, int> pair_of(const std::string& v, char sep) {
  const size_t at = v.find(sep);
  if (at == std::string::npos) throw std::runtime_error("expected two numbers in '" + v + "'");
  return {std::stoi(v.substr(0, at)), std::stoi(v.substr(at + 1))};
}

}  // namespace

Picture read_ppm(const std::string& host_path) {
  const std::string d = slurp(host_path);
  int w = 0, h = 0;
  size_t p = 0;
  netpbm_head(d, "P6", &w, &h, &p);
  if (w < 0 || h < 0 || d.size() < p + size_t(w) * h * 3) throw std::runtime_error("short PPM " + host_path);
  Picture out = picture_fill(w, h, {0, 0, 0, 255});
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    out.pixels[i] = {static_cast<uint8_t>(d[p + 3 * i]), static_cast<uint8_t>(d[p + 3 * i + 1]),
                     static_cast<uint8_t>(d[p + 3 * i + 2]), 255};
  }
  return out;
}

std::vector<uint8_t> read_pgm(const std::string& host_path, int* width, int* height) {
  const std::string d = slurp(host_path);
  size_t p = 0;
  netpbm_head(d, "P5", width, height, &p);
  const size_t n = size_t(*width) * *height;
  if (d.size() < p + n) throw std::runtime_error("short PGM " + host_path);
  return std::vector<uint8_t>(d.begin() + static_cast<std::ptrdiff_t>(p), d.begin() + static_cast<std::ptrdiff_t>(p + n));
}

MdaFile parse_manifest(const std::string& text, const std::string& base_dir) {
  MdaFile file;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto path_of = [&](const std::string& name) { return base_dir.empty() ? name : base_dir + "/" + name; };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    line = line.substr(first);
    const size_t gap = line.find_first_of(" \t");
    const std::string kind = line.substr(0, gap);
    const std::string rest = gap == std::string::npos ? "" : line.substr(line.find_first_not_of(" \t", gap));
    try {
      if (kind == "command" || kind == "step" || kind == "second") {
        if (rest.empty()) throw std::runtime_error("missing text");
        if (kind == "command") file.command(rest);
        if (kind == "step") file.step(rest);
        if (kind == "second") file.second(rest);
        continue;
      }
      std::istringstream words(rest);
      std::string name, word;
      words >> name;
      if (name.empty()) throw std::runtime_error("missing name");
      std::map<std::string, std::string> opts;
      if (kind == "raw") {
        const size_t at = rest.find("bytes=");
        if (at == std::string::npos) throw std::runtime_error("raw needs bytes=");
        const std::string bytes = rest.substr(at + 6);
        file.frame(name, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        continue;
      }
      while (words >> word) {
        const size_t eq = word.find('=');
        if (eq == std::string::npos) throw std::runtime_error("expected key=value, got '" + word + "'");
        opts[word.substr(0, eq)] = word.substr(eq + 1);
      }
      if (kind == "wave") {
        if (opts.count("from")) {
          const std::string d = slurp(path_of(opts["from"]));
          file.frame(name, std::vector<uint8_t>(d.begin(), d.end()));
        } else if (opts.count("tone")) {
          const auto [hz, ms] = pair_of(opts["tone"], ',');
          file.frame(name, wave_tone(hz, ms));
        } else {
          throw std::runtime_error("wave needs from= or tone=");
        }
        continue;
      }
      if (kind != "image") throw std::runtime_error("unknown item '" + kind + "'");
      FrameGeometry g;
      if (opts.count("box")) {
        const auto [x, y] = pair_of(opts["box"], ',');
        g.box_x = static_cast<uint16_t>(x);
        g.box_y = static_cast<uint16_t>(y);
      }
      if (opts.count("hot")) {
        const auto [x, y] = pair_of(opts["hot"], ',');
        g.hot_x = static_cast<int16_t>(x);
        g.hot_y = static_cast<int16_t>(y);
      }
      Picture pic;
      if (opts.count("from")) {
        pic = read_ppm(path_of(opts["from"]));
        if (opts.count("alpha")) {
          int w = 0, h = 0;
          const std::vector<uint8_t> a = read_pgm(path_of(opts["alpha"]), &w, &h);
          if (w != pic.width || h != pic.height) throw std::runtime_error("alpha size differs from the image");
          for (size_t i = 0; i < a.size(); ++i) pic.pixels[i].a = a[i];
        }
      } else if (opts.count("fill")) {
        const std::string& f = opts["fill"];
        const size_t colon = f.find(":#");
        if (colon == std::string::npos || f.size() != colon + 8) throw std::runtime_error("fill=WxH:#RRGGBB");
        const auto [w, h] = pair_of(f.substr(0, colon), 'x');
        const auto rgb = static_cast<uint32_t>(std::stoul(f.substr(colon + 2), nullptr, 16));
        const int alpha = opts.count("alpha") ? std::stoi(opts["alpha"]) : 255;
        pic = picture_fill(w, h, {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                                  static_cast<uint8_t>(rgb), static_cast<uint8_t>(alpha)});
      } else {
        throw std::runtime_error("image needs from= or fill=");
      }
      file.frame(name, img256_encode(pic, g));
    } catch (const std::exception& e) {
      throw std::runtime_error("manifest line " + std::to_string(number) + ": " + e.what());
    }
  }
  return file;
}

MdaFile read_manifest(const std::string& host_path) {
  const size_t slash = host_path.find_last_of('/');
  return parse_manifest(slurp(host_path), slash == std::string::npos ? "" : host_path.substr(0, slash));
}

}  // namespace mdaw
