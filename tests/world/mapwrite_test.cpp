// The map writer: the bytes of a small map field by field, its art and manifest readers, the
// lister over the sample maps, and mkgame writing the same maps every time.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "plat/bytes.h"
#include "tests/support/temp_game_dir.h"
#include "tools/mapwrite/mapwrite.h"
#include "tools/mkgame/mkgame.h"

namespace {

// Little-endian helpers over a file image, independent of the writer.
uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t u16_at(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
std::string text_at(const std::vector<uint8_t>& b, size_t at, size_t n) {
  std::string s(reinterpret_cast<const char*>(&b[at]), n);
  return s.substr(0, s.find('\0'));
}

TEST(Mapwrite, GoldenBytes) {
  // 32 x 16 pixels in cells of 16 x 8: 2 x 2 cells; no background; one image, object and region.
  mapw::MapFile m;
  m.title = "Tiny";
  m.width = 32;
  m.height = 16;
  m.kept = 0x11223344;
  m.background = false;
  m.cells = {0x8000, 0x0001, 0x2000, 0x4003};
  mapw::Image im;
  im.left = 5;
  im.top = 6;
  im.width = 8;
  im.height = 2;
  im.anchor_x = -1;
  im.anchor_y = 2;
  im.flags = 0x40;
  im.data = {0xAA, 0xBB};
  m.images = {im};
  m.objects = {{"bell.wav", 7, 9, 0, 3}};
  mapw::Region g;
  g.name = "Inn";
  g.number = 4;
  g.values[2] = 77;
  g.text = "rest";
  g.value_224 = -5;
  m.regions = {g};
  const std::vector<uint8_t> b = mapw::map_build(m);

  const size_t head = 256, img = 332, table = img + 28, image_head = table + 4, data = image_head + 52;
  const size_t event = data + 2, cells = event + 28, control = cells + 8, object = control + 36, region = object + 96;
  ASSERT_EQ(b.size(), region + 228);
  for (size_t i = 0; i < 256; ++i) ASSERT_EQ(b[i], 0) << i;
  EXPECT_EQ(text_at(b, head, 20), "MAP_HEAD");
  EXPECT_EQ(text_at(b, head + 20, 20), "Tiny");
  EXPECT_EQ((std::vector<uint32_t>{u32_at(b, head + 40), u32_at(b, head + 44), u32_at(b, head + 48),
                                   u32_at(b, head + 52), u32_at(b, head + 56), u32_at(b, head + 60),
                                   u32_at(b, head + 64), u32_at(b, head + 68), u32_at(b, head + 72)}),
            (std::vector<uint32_t>{16, 8, 32, 16, 0x11223344, img, event, control, 10101}));
  EXPECT_EQ(text_at(b, img, 20), "MAP_IMG");
  EXPECT_EQ(u32_at(b, img + 20), 1u);
  EXPECT_EQ(u32_at(b, img + 24), table);
  EXPECT_EQ(u32_at(b, table), image_head);
  EXPECT_EQ((std::vector<uint32_t>{u32_at(b, image_head + 20), u32_at(b, image_head + 24), u32_at(b, image_head + 28),
                                   u32_at(b, image_head + 32), u32_at(b, image_head + 36), u32_at(b, image_head + 40)}),
            (std::vector<uint32_t>{static_cast<uint32_t>(data), 2, 8, 2, 5, 6}));
  EXPECT_EQ(u16_at(b, image_head + 44), 0xFFFF);
  EXPECT_EQ(u16_at(b, image_head + 46), 2);
  EXPECT_EQ(b[image_head + 48], 0x40);
  EXPECT_EQ(b[data], 0xAA);
  EXPECT_EQ(b[data + 1], 0xBB);
  EXPECT_EQ(text_at(b, event, 20), "EVENT");
  EXPECT_EQ(u32_at(b, event + 20), 4u);
  EXPECT_EQ(u32_at(b, event + 24), cells);
  EXPECT_EQ((std::vector<uint16_t>{u16_at(b, cells), u16_at(b, cells + 2), u16_at(b, cells + 4), u16_at(b, cells + 6)}),
            m.cells);
  EXPECT_EQ(text_at(b, control, 20), "CONTROL");
  EXPECT_EQ((std::vector<uint32_t>{u32_at(b, control + 20), u32_at(b, control + 24), u32_at(b, control + 28),
                                   u32_at(b, control + 32)}),
            (std::vector<uint32_t>{1, 1, static_cast<uint32_t>(object), static_cast<uint32_t>(region)}));
  EXPECT_EQ(text_at(b, object, 80), "bell.wav");
  EXPECT_EQ((std::vector<uint32_t>{u32_at(b, object + 80), u32_at(b, object + 84), u32_at(b, object + 88),
                                   u32_at(b, object + 92)}),
            (std::vector<uint32_t>{7, 9, 0, 3}));
  EXPECT_EQ(text_at(b, region, 80), "Inn");
  EXPECT_EQ(u32_at(b, region + 80), 4u);
  EXPECT_EQ(u32_at(b, region + 92), 77u);
  EXPECT_EQ(text_at(b, region + 100, 120), "rest");
  EXPECT_EQ(u32_at(b, region + 224), static_cast<uint32_t>(-5));
}

TEST(Mapwrite, BackgroundPages) {
  // Pages across 3 on the table's stride of 20: page (c, r) at entry r x 20 + c, streams row after row.
  mapw::MapFile m;
  m.width = 2400;
  m.height = 1200;
  m.images.clear();
  for (int i = 0; i < 6; ++i) m.pages.push_back({i % 3, i / 3, std::vector<uint8_t>(static_cast<size_t>(10 + i), static_cast<uint8_t>(i))});
  mapw::Layout at;
  const std::vector<uint8_t> b = mapw::map_build(m, &at);
  const size_t d = at.image_data[0];
  EXPECT_EQ(u32_at(b, d), 3u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(u32_at(b, d + 8 + 4 * ((i / 3) * 20 + i % 3)), static_cast<uint32_t>(10 + i));
  EXPECT_EQ(u32_at(b, d + 8 + 4 * 3), 0u) << "no fourth page in row 0";
  size_t stream = d + 1612;
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(b[stream], i) << "page " << i;
    stream += static_cast<size_t>(10 + i);
  }
  EXPECT_EQ(u32_at(b, at.image_heads[0] + 24), 1612u + 10 + 11 + 12 + 13 + 14 + 15);
}

TEST(Mapwrite, CellsFromArt) {
  EXPECT_EQ(mapw::cells_from_art("#.w\ns09\n"),
            (std::vector<uint16_t>{0x8000, 0, 0x2000, 0x1000, 0x4000, 0x4009}));
  EXPECT_THROW(mapw::cells_from_art("#.\n#\n"), std::invalid_argument);
  EXPECT_THROW(mapw::cells_from_art("#x\n"), std::invalid_argument);
}

TEST(Mapwrite, Manifest) {
  veldra_test::TempGameDir dir;
  dir.write("town.txt",
            "title Small town\n"
            "cells 100 100\n"
            "size 800 600\n"
            "page 0 0 fill=#FF0000\n"
            "image 10 20 16 4 anchor=8,3 flags=40\n"
            "grid cells.txt\n"
            "rect 1 1 2 1 0x2000\n"
            "object fountain.wav 100 200 0 0\n"
            "region Market 1\n");
  dir.write("cells.txt", "########\n#......#\n#......#\n#......#\n#......#\n########\n");
  const mapw::MapFile m = mapw::map_from_manifest(dir.hostPath("town.txt"));
  EXPECT_EQ(m.title, "Small town");
  EXPECT_EQ(m.cells.size(), 48u);
  EXPECT_EQ(m.cells[9], 0x2000);
  EXPECT_EQ(m.cells[10], 0x2000);
  EXPECT_EQ(m.cells[11], 0);
  ASSERT_EQ(m.images.size(), 1u);
  EXPECT_EQ(m.images[0].data.size(), 8u) << "a full mask";
  EXPECT_EQ(m.images[0].flags, 0x40);
  ASSERT_EQ(m.pages.size(), 1u);
  EXPECT_FALSE(m.pages[0].jpeg.empty());
  const std::string listed = mapw::map_list(mapw::map_build(m));
  EXPECT_NE(listed.find("object 0: \"fountain.wav\" at 100,200 kind 0 value 0"), std::string::npos) << listed;

  dir.write("bad.txt", "size 800\n");
  try {
    mapw::map_from_manifest(dir.hostPath("bad.txt"));
    ADD_FAILURE() << "a short line is refused";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("bad.txt:1"), std::string::npos) << e.what();
  }
}

const mkgame::GameFile* find(const std::vector<mkgame::GameFile>& files, const std::string& path) {
  for (const mkgame::GameFile& f : files)
    if (f.path == path) return &f;
  return nullptr;
}

TEST(Mapwrite, SampleMaps) {
  const std::vector<mkgame::GameFile> first = mkgame::gameMapFiles();
  const std::vector<mkgame::GameFile> second = mkgame::gameMapFiles();
  for (const char* path : {"map/MAP001.MAP", "map/MAP002.MAP", "system/smallmap.mda", "mda/flag.mda",
                           "efc/fountain.wav", "music/MUS002.MP3"}) {
    SCOPED_TRACE(path);
    ASSERT_NE(find(first, path), nullptr);
    EXPECT_EQ(find(first, path)->bytes, find(second, path)->bytes) << "mkgame writes the same bytes each run";
  }
  const std::string town = mapw::map_list(find(first, "map/MAP001.MAP")->bytes);
  for (const char* line : {"title \"Demo Town\"", "size 1600 x 1200, cells 100 x 150 (16 x 8)", "MAP_IMG: 3 images",
                           "pages across 2", "flags 0x40", "flags 0xC0", "  #######.########", "  #..ss...#222#..#",
                           "object 0: \"fountain.wav\" at 500,400 kind 0", "object 1: \"flag.mda\" at 900,350 kind 1",
                           "region 0: \"Market\" number 1", "region 1: \"Shrine\" number 2"}) {
    EXPECT_NE(town.find(line), std::string::npos) << line << "\n" << town;
  }
  const std::string second_map = mapw::map_list(find(first, "map/MAP002.MAP")->bytes);
  EXPECT_NE(second_map.find("size 800 x 600"), std::string::npos) << second_map;
  EXPECT_NE(second_map.find("pages across 3"), std::string::npos) << second_map;
  EXPECT_NE(second_map.find("page 2,0: 0 bytes"), std::string::npos) << second_map;

  // The lister refuses what the loader would not read.
  std::vector<uint8_t> cut = find(first, "map/MAP002.MAP")->bytes;
  cut.resize(300);
  EXPECT_THROW(mapw::map_list(cut), std::runtime_error);
}

}  // namespace
