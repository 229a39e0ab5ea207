// Fixture of the map tests: the task fixture's game folder, window, boxes and error.txt, with
// maps written by mapwrite into MAP/ and helpers to look at pages and the message buffer.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/jpg/jpg_load.h"
#include "jpeg/jcodec.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tests/client/task_fixture.h"
#include "tools/mapwrite/mapwrite.h"
#include "world/map/map_data.h"
#include "world/map/map_load.h"

namespace map_test {

struct Rgb {
  int r, g, b;
};

// Flat pages, encoded once for the whole program.
inline const std::vector<uint8_t>& page_of(int index) {
  static std::vector<std::vector<uint8_t>> pages;
  static const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
  if (pages.empty()) {
    // Different qualities give the streams different sizes, so a wrong offset shows.
    for (int i = 0; i < 6; ++i) {
      pages.push_back(mapw::flat_page(static_cast<uint8_t>(colours[i].r), static_cast<uint8_t>(colours[i].g),
                                      static_cast<uint8_t>(colours[i].b), 40 + 10 * i));
    }
  }
  return pages[static_cast<size_t>(index)];
}
inline Rgb colour_of(int index) {
  static const Rgb colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
  return colours[index];
}

// 1600 x 1200 in 16 x 8 cells of 100 x 150, 2 x 2 pages (colours 0..3), art cells, a layered
// and an in-front image, an object of each kind and two regions.
inline mapw::MapFile town() {
  mapw::MapFile m;
  m.title = "Town";
  m.width = 1600;
  m.height = 1200;
  m.cell_width = 100;
  m.cell_height = 150;
  for (int i = 0; i < 4; ++i) m.pages.push_back({i % 2, i / 2, page_of(i)});
  m.cells = mapw::cells_from_art(
      "################\n"
      "#......1111....#\n"
      "#.ww...1111....#\n"
      "#.ww...........#\n"
      "#######.########\n"
      "#..ss...#####..#\n"
      "#..ss...#222#..#\n"
      "################\n");
  mapw::Image tree;
  tree.left = 1000;
  tree.top = 300;
  tree.width = 200;
  tree.height = 300;
  tree.anchor_x = 100;
  tree.anchor_y = 200;  // the anchor line at y = 500
  tree.flags = 0x40;
  tree.data.assign(25 * 300, 0xFF);
  m.images.push_back(tree);
  m.objects = {{"fountain.wav", 500, 400, 0, 0}, {"flag.mda", 900, 350, 1, 1}};
  m.regions = {mapw::region("Market", 1), mapw::region("Shrine", 2)};
  return m;
}

class MapTest : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    jpeg_register_module();
    jpg_codec_reset();
  }
  void write_map(const std::string& name, const std::vector<uint8_t>& bytes) {
    dir.write("MAP/" + name, std::string(bytes.begin(), bytes.end()));
  }
  void write_map(const std::string& name, const mapw::MapFile& m) { write_map(name, mapw::map_build(m)); }
  static std::string buffer() { return sys_message_buffer(); }
  static void clear_buffer() { sys_message_buffer()[0] = '\0'; }

  // A pixel's colour within the JPEG's error of the expected one.
  static ::testing::AssertionResult near(uint16_t pixel, Rgb want) {
    int r = 0, g = 0, b = 0;
    pixel_ops.unpack(pixel, &r, &g, &b);
    if (std::abs(r - want.r) <= 16 && std::abs(g - want.g) <= 16 && std::abs(b - want.b) <= 16) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel " << r << "," << g << "," << b << " is not near " << want.r << ","
                                         << want.g << "," << want.b;
  }
  static uint16_t slot_pixel(int slot, int x, int y) { return map_record.pages[slot].bitmap->rows[y][x]; }
};

}  // namespace map_test
