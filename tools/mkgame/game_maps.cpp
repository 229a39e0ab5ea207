// The sample maps and their media: Demo Town (map 1) and a one-page map 2, the small-map
// pictures, the fountain's sound, the flag's look and map 2's music.
#include <string>

#include "tools/jpegbaseline/jpeg_baseline.h"
#include "tools/mapwrite/mapwrite.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mkgame/mkgame.h"

namespace mkgame {

namespace {

struct Rgb {
  int r, g, b;
};

// A page of the town: ground in the base colour with paving stones of 100 x 75 pixels, each a
// little lighter, and a darker road along the middle row, so that each page looks its own.
std::vector<uint8_t> town_page(Rgb base, int width, int height) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int lift = ((x / 100 + y / 75) % 2) ? 18 : 0;
      if (y % 75 < 3 || x % 100 < 3) lift = -30;
      if (y > height / 2 - 40 && y < height / 2 + 40) lift = -50;
      const auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = clamp(base.r + lift);
      p[1] = clamp(base.g + lift);
      p[2] = clamp(base.b + lift);
    }
  }
  return jpegbase::encode_rgb(width, height, rgb, 80);
}

// A foreground image's data: its one-bit mask, every pixel set.
mapw::Image layered(int32_t left, int32_t top, int32_t w, int32_t h, int16_t ax, int16_t ay, uint8_t flags) {
  mapw::Image im;
  im.left = left;
  im.top = top;
  im.width = w;
  im.height = h;
  im.anchor_x = ax;
  im.anchor_y = ay;
  im.flags = flags;
  im.data.assign(static_cast<size_t>(w / 8) * h, 0xFF);
  return im;
}

// 16 x 8 cells of 100 x 150 pixels: a wall with a gap in row 4, an enclosed pocket (the shrine),
// a wander patch, a shaded patch and the market.
constexpr const char* kTownCells =
    "################\n"
    "#......1111....#\n"
    "#.ww...1111....#\n"
    "#.ww...........#\n"
    "#######.########\n"
    "#..ss...#####..#\n"
    "#..ss...#222#..#\n"
    "################\n";

mapw::MapFile demo_town() {
  mapw::MapFile m;
  m.title = "Demo Town";
  m.width = 1600;
  m.height = 1200;
  m.cell_width = 100;
  m.cell_height = 150;
  const Rgb colours[4] = {{96, 140, 80}, {150, 130, 90}, {90, 120, 150}, {140, 100, 120}};
  for (int i = 0; i < 4; ++i) m.pages.push_back({i % 2, i / 2, town_page(colours[i], 800, 600)});
  m.cells = mapw::cells_from_art(kTownCells);
  m.images.push_back(layered(1000, 600, 200, 300, 100, 280, 0x40));  // a tree
  m.images.push_back(layered(600, 550, 304, 100, 152, 90, 0xC0));    // the gate's arch
  m.objects.push_back({"fountain.wav", 500, 400, 0, 0});
  m.objects.push_back({"flag.mda", 900, 350, 1, 1});
  m.regions = {mapw::region("Market", 1), mapw::region("Shrine", 2)};
  return m;
}

// One page; its size table keeps three pages a row.
mapw::MapFile second_map() {
  mapw::MapFile m;
  m.title = "Harbour";
  m.width = 800;
  m.height = 600;
  m.cell_width = 50;
  m.cell_height = 75;
  m.pages_across = 3;
  m.pages.push_back({0, 0, town_page({70, 110, 160}, 800, 600)});
  std::string art;
  for (int y = 0; y < 8; ++y) art += (y == 0 || y == 7) ? std::string(16, '#') + "\n" : "#" + std::string(14, '.') + "#\n";
  m.cells = mapw::cells_from_art(art);
  return m;
}

std::vector<uint8_t> small_map_pictures() {
  mdaw::MdaFile f;
  f.frame("town", town_page({96, 140, 80}, 400, 300));
  f.frame("harbour", town_page({70, 110, 160}, 400, 300));
  return mdaw::mda_build(f);
}

// A flag on a pole, waving through three frames.
std::vector<uint8_t> flag_look() {
  mdaw::MdaFile f;
  for (int k = 0; k < 3; ++k) {
    mdaw::Picture p = mdaw::picture_fill(24, 48, {0, 0, 0, 0});
    for (int y = 0; y < 48; ++y) p.at(2, y) = {90, 60, 30, 255};
    for (int y = 2; y < 16; ++y)
      for (int x = 3; x < 22; ++x)
        if ((y + x / 6 + k) % 14 > 1) p.at(x, y) = {200, 30, 30, 255};
    mdaw::FrameGeometry g;
    g.hot_x = 2;
    g.hot_y = 47;
    f.frame("flag" + std::to_string(k), mdaw::img256_encode(p, g));
  }
  f.command("MainCommand0").step("flag0").step("flag1").step("flag2");
  return mdaw::mda_build(f);
}

}  // namespace

std::vector<GameFile> gameMapFiles() {
  std::vector<GameFile> out;
  out.push_back({"map/MAP001.MAP", mapw::map_build(demo_town())});
  out.push_back({"map/MAP002.MAP", mapw::map_build(second_map())});
  out.push_back({"system/smallmap.mda", small_map_pictures()});
  out.push_back({"efc/fountain.wav", mdaw::wave_melody({{523, 120}, {659, 120}, {784, 120}, {0, 200}})});
  out.push_back({"mda/flag.mda", flag_look()});
  std::vector<mdaw::Note> tune;
  for (int hz : {392, 440, 494, 523, 494, 440, 392, 0}) tune.push_back({hz, 300});
  out.push_back({"music/MUS002.MP3", mdaw::wave_melody(tune)});
  return out;
}

}  // namespace mkgame
