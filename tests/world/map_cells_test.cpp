// The questions the scene asks of the loaded map: cell bits, layered images in front of a
// rectangle, and the small map's picture, factors and windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/state/map_record.h"
#include "client/window/window_manager.h"
#include "tests/world/map_fixture.h"
#include "tools/jpegbaseline/jpeg_baseline.h"
#include "tools/mdawriter/mda_writer.h"
#include "ui/area_map/area_map_state.h"
#include "ui/game_screen/window_slots.h"
#include "world/map/map_cells.h"
#include "world/map/small_map.h"

namespace {

using map_test::MapTest;
using map_test::Rgb;

class MapCells : public MapTest {
 protected:
  void load_town() {
    write_map("T.MAP", map_test::town());
    ASSERT_EQ(map_load_file("MAP\\T.MAP", 400, 300), 0);
  }
};

TEST_F(MapCells, Queries) {
  load_town();
  const struct Case {
    int32_t cx, cy;
    int32_t blocked, wander, shaded;
  } cases[] = {
      {0, 0, 0, -2, -2},      // the border
      {1, 1, -2, -2, -2},     // free
      {2, 2, -2, 0, -2},      // wander
      {3, 5, -2, -2, 0},      // shaded
      {7, 4, -2, -2, -2},     // the gap in the wall
      {6, 4, 0, -2, -2},      // the wall
      {8, 1, -2, -2, -2},     // the market region carries neither bit
      {15, 7, 0, -2, -2},     // the last cell
      {16, 0, -2, -2, -2},    // outside: x = cells across
      {0, 8, -2, -2, -2},     // outside: y = cells down
      {-1, 3, -2, -2, -2},
      {3, -1, -2, -2, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cx << "," << c.cy);
    EXPECT_EQ(map_cell_is_blocked(c.cx, c.cy), c.blocked);
    EXPECT_EQ(map_cell_test_2000(c.cx, c.cy), c.wander);
    EXPECT_EQ(map_cell_test_1000(c.cx, c.cy), c.shaded);
  }
  // Without cells every query says no.
  map_control_free();
  EXPECT_EQ(map_cell_is_blocked(0, 0), -2);
  EXPECT_EQ(map_cell_test_2000(2, 2), -2);
  EXPECT_EQ(map_cell_test_1000(3, 5), -2);
}

TEST_F(MapCells, ImagesHit) {
  mapw::MapFile m = map_test::town();  // image 1: 0x40 at (1000, 300) 200 x 300, anchor line y = 500
  mapw::Image front = m.images[0];
  front.left = 100;
  front.top = 100;
  front.width = 100;
  front.height = 100;
  front.flags = 0xC0;
  mapw::Image never = front;
  never.left = 1000;
  never.top = 300;
  never.flags = 0x80;
  m.images.push_back(front);  // image 2
  m.images.push_back(never);  // image 3: under image 1, never in front
  write_map("T.MAP", m);
  ASSERT_EQ(map_load_file("MAP\\T.MAP", 400, 300), 0);
  const struct Case {
    const char* name;
    int32_t x, y, w, h;
    std::vector<int32_t> hits;
  } cases[] = {
      {"feet above the anchor line", 1050, 400, 20, 99, {1}},
      {"feet on the anchor line", 1050, 400, 20, 100, {}},
      {"feet below it", 1050, 450, 20, 100, {}},
      {"touching the left edge", 980, 350, 20, 50, {1}},
      {"touching the top edge", 1050, 250, 20, 50, {1}},
      {"just left of it", 979, 350, 20, 50, {}},
      {"in front whatever the feet", 120, 150, 10, 200, {2}},
      {"touching the right edge of 2", 200, 150, 10, 10, {2}},
      {"nowhere near", 0, 0, 10, 10, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(map_images_hit(c.x, c.y, c.w, c.h), c.hits.empty() ? -2 : 0);
    EXPECT_EQ(map_image_hits, c.hits);
  }
  // Fewer than two images: nothing to be in front, and the old list goes.
  map_images_hit(1050, 400, 20, 99);
  map_record.images.resize(1);
  EXPECT_EQ(map_images_hit(1050, 400, 20, 99), -2);
  EXPECT_TRUE(map_image_hits.empty());
}

TEST_F(MapCells, SmallMap) {
  // Frame k of each picture file is a flat picture whose red is its index on the map.
  const auto picture = [](int index) {
    std::vector<uint8_t> rgb(400 * 300 * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
      rgb[i] = static_cast<uint8_t>(index * 4);
      rgb[i + 1] = 100;
      rgb[i + 2] = 50;
    }
    return jpegbase::encode_rgb(400, 300, rgb, 80);
  };
  const struct File {
    const char* path;
    int first, frames;
  } files[] = {{"system/smallmap.mda", 0, 20}, {"system/smallmap02.mda", 20, 16}, {"system/smallmap03.mda", 36, 16}};
  for (const File& f : files) {
    mdaw::MdaFile mda;
    for (int k = 0; k < f.frames; ++k) mda.frame("f" + std::to_string(k), picture(f.first + k));
    const std::vector<uint8_t> bytes = mdaw::mda_build(mda);
    dir.write(f.path, std::string(bytes.begin(), bytes.end()));
  }
  load_town();
  const struct Case {
    int32_t index;
    int red;  // -1: the fill colour
    uint8_t first_file;
  } cases[] = {{-1, -1, 0}, {0, 0, 1}, {19, 76, 1}, {20, 80, 0}, {35, 140, 0}, {36, 144, 0}, {51, 204, 0}, {52, -1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    map_state.values[0] = c.index;
    small_map.from_first_file = 0;
    map_build_small_map();
    ASSERT_NE(small_map.bitmap, nullptr);
    const uint16_t pixel = small_map.bitmap->rows[150][200];
    if (c.red < 0) {
      EXPECT_EQ(pixel, 0);
    } else {
      EXPECT_TRUE(near(pixel, Rgb{c.red, 100, 50}));
      EXPECT_EQ(small_map.from_first_file, c.first_file);
    }
  }
  EXPECT_EQ(logged("decode error"), 0);

  // A frame that is no picture: the map's path in the log, the fill kept.
  mdaw::MdaFile bad;
  bad.frame("f0", {1, 2, 3, 4});
  const std::vector<uint8_t> bytes = mdaw::mda_build(bad);
  dir.write("system/smallmap.mda", std::string(bytes.begin(), bytes.end()));
  map_state.values[0] = 0;
  map_build_small_map();
  EXPECT_EQ(small_map.bitmap->rows[150][200], 0);
  EXPECT_EQ(logged("MAP\\T.MAP file decode error"), 1);
  // A frame the file does not hold ends quietly.
  map_state.values[0] = 5;
  map_build_small_map();
  EXPECT_EQ(logged("decode error"), 1);

  // The factors, as 32-bit floats.
  EXPECT_EQ(small_map.sx, 400.0f / 1600.0f);
  EXPECT_EQ(small_map.sy, 300.0f / 1200.0f);
  EXPECT_EQ(small_map.px, 1600.0f * 0.0025f);
  EXPECT_EQ(small_map.py, 1200.0f * 0.0033333334f);
}

TEST_F(MapCells, SmallMapClosesTheMapWindows) {
  load_town();
  const auto nothing = [] {};
  const int32_t area = window_add(96, 148, 504, 452, nothing, nothing, 0, 0);
  const int32_t list = window_add(500, 148, 700, 452, nothing, nothing, 0, 0);
  ASSERT_GE(area, 0);
  ASSERT_GE(list, 0);
  window_slots.ids[WINDOW_AREA_MAP] = area;
  window_slots.ids[WINDOW_NPC_LIST] = list;
  window_slots.ids[WINDOW_WORLD_MAP] = 12345;  // a slot whose window is gone already
  area_map_click_x = 30;
  area_map_click_y = 40;
  map_build_small_map();
  int32_t rect[4];
  EXPECT_EQ(window_get_rect(area, rect, nullptr, 0), -2);
  EXPECT_EQ(window_get_rect(list, rect, nullptr, 0), -2);
  EXPECT_EQ(window_slots.ids[WINDOW_AREA_MAP], -1);
  EXPECT_EQ(window_slots.ids[WINDOW_NPC_LIST], -1);
  EXPECT_EQ(window_slots.ids[WINDOW_WORLD_MAP], -1);
  EXPECT_EQ(area_map_click_x, -1);
  EXPECT_EQ(area_map_click_y, -1);
}

}  // namespace
