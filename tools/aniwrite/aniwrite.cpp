#include "tools/aniwrite/aniwrite.h"

#include <cstring>
#include <sstream>
#include <stdexcept>

#include "world/ani/char_view_data.h"

namespace aniwrite {

std::vector<uint8_t> build(const ControlFile& file) {
  plat::ByteWriter w;
  ANI_CONTROL_HEAD head{};
  std::memcpy(head.magic, file.magic.data(), std::min(file.magic.size(), sizeof head.magic));
  head.type = file.type;
  head.view_frame_count = static_cast<uint32_t>(file.frames.size());
  head.char_count = static_cast<uint32_t>(file.chars.size());
  head.layer_count = static_cast<uint32_t>(file.layers.size());
  ani_head_write(w, head);
  for (const CharRecord& c : file.chars) {
    CHAR_VIEW_DATA rec{};
    rec.media = c.media;
    std::memset(rec.battle_head, c.battle_fill, sizeof rec.battle_head);
    std::memset(rec.battle_tail, c.battle_fill, sizeof rec.battle_tail);
    std::memcpy(rec.name, c.name.data(), std::min(c.name.size(), sizeof rec.name));
    char_view_write(w, rec);
  }
  for (int32_t media : file.layers) {
    LAYER_VIEW_DATA rec{};
    rec.media = media;
    layer_view_write(w, rec);
  }
  for (const ViewFrame& f : file.frames) {
    const size_t n = f.tables[0].size();
    for (const auto& t : f.tables) {
      if (t.size() != n) throw std::invalid_argument("view frame tables differ in length");
    }
    for (int32_t v : f.values) w.i32(v);
    w.u32(static_cast<uint32_t>(n));
    for (const auto& t : f.tables) {
      for (int32_t v : t) w.i32(v);
    }
  }
  return w.take();
}

ControlFile parse_manifest(const std::string& text) {
  ControlFile out;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) continue;
    const auto bad = [&] { return std::invalid_argument("manifest line " + std::to_string(number) + ": " + line); };
    if (word == "type") {
      if (!(in >> out.type)) throw bad();
    } else if (word == "char") {
      CharRecord c;
      if (!(in >> c.media >> c.name)) throw bad();
      out.chars.push_back(c);
    } else if (word == "layer") {
      int32_t m = 0;
      if (!(in >> m)) throw bad();
      out.layers.push_back(m);
    } else if (word == "frame") {
      ViewFrame f;
      for (int32_t& v : f.values) {
        if (!(in >> v)) throw bad();
      }
      int table = -1;
      std::string tok;
      while (in >> tok) {
        if (tok == "|") {
          if (++table >= 7) throw bad();
          continue;
        }
        if (table < 0) throw bad();
        f.tables[table].push_back(std::stoi(tok));
      }
      if (table != -1 && table != 6) throw bad();
      out.frames.push_back(f);
    } else {
      throw bad();
    }
  }
  return out;
}

}  // namespace aniwrite
