// The mapwrite command's manifest (format at the top of mapwrite.h).
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "tools/mapwrite/mapwrite.h"
#include "world/map/map_data.h"

namespace mapw {

namespace {

std::vector<uint8_t> read_host_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

long number(const std::string& word) {
  char* end = nullptr;
  const long v = std::strtol(word.c_str(), &end, 0);
  if (word.empty() || *end) throw std::runtime_error("not a number: " + word);
  return v;
}

// "key=value" -> value, or throws.
std::string option(const std::string& word, const std::string& key) {
  if (word.rfind(key + "=", 0) != 0) throw std::runtime_error("expected " + key + "=...: " + word);
  return word.substr(key.size() + 1);
}

std::vector<uint8_t> page_picture(const std::string& spec, const std::string& folder) {
  if (spec.rfind("from=", 0) == 0) return read_host_file(folder + option(spec, "from"));
  const std::string colour = option(spec, "fill");
  if (colour.size() != 7 || colour[0] != '#') throw std::runtime_error("fill=#RRGGBB expected: " + spec);
  const long rgb = std::strtol(colour.c_str() + 1, nullptr, 16);
  return flat_page(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
}

void fill_rect(MapFile& map, long x0, long y0, long x1, long y1, long value) {
  const long across = map.width / map.cell_width, down = map.height / map.cell_height;
  if (map.cells.empty()) map.cells.assign(static_cast<size_t>(across * down), 0);
  for (long y = y0; y <= y1; ++y)
    for (long x = x0; x <= x1; ++x)
      if (x >= 0 && y >= 0 && x < across && y < down) map.cells[static_cast<size_t>(y * across + x)] = static_cast<uint16_t>(value);
}

}  // namespace

MapFile map_from_manifest(const std::string& manifest_path) {
  std::ifstream in(manifest_path);
  if (!in) throw std::runtime_error("cannot read " + manifest_path);
  const size_t slash = manifest_path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : manifest_path.substr(0, slash + 1);
  MapFile map;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (const size_t hash = line.find('#'); hash != std::string::npos && line.rfind("page", 0) != 0) line.resize(hash);
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string s; words >> s;) w.push_back(s);
    if (w.empty()) continue;
    try {
      const std::string& k = w[0];
      const auto need = [&w](size_t count) {
        if (w.size() != count) throw std::runtime_error("wrong number of words");
      };
      if (k == "title") {
        map.title = line.substr(line.find("title") + 6);
      } else if (k == "cells") {
        need(3);
        map.cell_width = static_cast<int32_t>(number(w[1]));
        map.cell_height = static_cast<int32_t>(number(w[2]));
      } else if (k == "size") {
        need(3);
        map.width = static_cast<int32_t>(number(w[1]));
        map.height = static_cast<int32_t>(number(w[2]));
      } else if (k == "page") {
        need(4);
        map.pages.push_back({static_cast<int>(number(w[1])), static_cast<int>(number(w[2])), page_picture(w[3], folder)});
      } else if (k == "image") {
        need(7);
        Image im;
        im.left = static_cast<int32_t>(number(w[1]));
        im.top = static_cast<int32_t>(number(w[2]));
        im.width = static_cast<int32_t>(number(w[3]));
        im.height = static_cast<int32_t>(number(w[4]));
        const std::string anchor = option(w[5], "anchor");
        const size_t comma = anchor.find(',');
        if (comma == std::string::npos) throw std::runtime_error("anchor=AX,AY expected");
        im.anchor_x = static_cast<int16_t>(number(anchor.substr(0, comma)));
        im.anchor_y = static_cast<int16_t>(number(anchor.substr(comma + 1)));
        im.flags = static_cast<uint8_t>(std::strtol(option(w[6], "flags").c_str(), nullptr, 16));
        im.data.assign(static_cast<size_t>(im.width / 8) * static_cast<size_t>(im.height), 0xFF);
        map.images.push_back(std::move(im));
      } else if (k == "grid") {
        need(2);
        const std::vector<uint8_t> art = read_host_file(folder + w[1]);
        map.cells = cells_from_art(std::string(art.begin(), art.end()));
      } else if (k == "rect") {
        need(6);
        fill_rect(map, number(w[1]), number(w[2]), number(w[3]), number(w[4]), number(w[5]));
      } else if (k == "object") {
        need(6);
        map.objects.push_back({w[1], static_cast<int32_t>(number(w[2])), static_cast<int32_t>(number(w[3])),
                               static_cast<int32_t>(number(w[4])), static_cast<int32_t>(number(w[5]))});
      } else if (k == "region") {
        need(3);
        Region g;
        g.name = w[1];
        g.number = static_cast<int32_t>(number(w[2]));
        map.regions.push_back(g);
      } else {
        throw std::runtime_error("unknown statement " + k);
      }
    } catch (const std::exception& e) {
      throw std::runtime_error(manifest_path + ":" + std::to_string(n) + ": " + e.what());
    }
  }
  return map;
}

}  // namespace mapw
