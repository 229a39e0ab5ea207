// Loading map files: what each refusal says and where it goes, damaged and hostile files, a
// failed load keeping the loaded map, and the view placed around the player.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "graphics/img256/scene_view_origin.h"
#include "client/common/seam_calls.h"
#include "graphics/mda/mda.h"
#include "world/map/small_map.h"
#include "world/scene/extra_media.h"
#include "tests/world/map_fixture.h"
#include "tools/mdawriter/mda_writer.h"
#include "world/map/map_cells.h"
#include "world/map/walk_grid.h"

namespace {

using map_test::MapTest;
using map_test::town;

class MapFile : public MapTest {};
class MapLoad : public MapTest {};

enum class Where { Nowhere, Buffer, BufferAndLog };

TEST_F(MapFile, Load) {
  const struct Case {
    const char* name;
    std::function<void(mapw::MapFile&)> change;
    int32_t result;
    const char* text;  // in the message buffer
    Where where;
  } cases[] = {
      {"head name wrong", [](mapw::MapFile& m) { m.head_name = "MAP_HEAX"; }, -2, "Map file(MAP\\T.MAP) edition error",
       Where::Buffer},
      {"version 10100", [](mapw::MapFile& m) { m.version = 10100; }, -2, "Map file(MAP\\T.MAP) edition error",
       Where::Buffer},
      {"MAP_IMG name wrong", [](mapw::MapFile& m) { m.image_name = "MAP_IMAGE"; }, -2,
       "Map file(MAP\\T.MAP) format error", Where::BufferAndLog},
      {"EVENT name wrong", [](mapw::MapFile& m) { m.event_name = "EVENTS"; }, -2, "Map file(MAP\\T.MAP) edition error",
       Where::Buffer},
      {"EVENT count one more", [](mapw::MapFile& m) { m.faults.cell_count = 129; }, -2,
       "Map file(MAP\\T.MAP) format error", Where::BufferAndLog},
      {"EVENT count one less", [](mapw::MapFile& m) { m.faults.cell_count = 127; }, -2,
       "Map file(MAP\\T.MAP) format error", Where::BufferAndLog},
      {"CONTROL name wrong", [](mapw::MapFile& m) { m.control_name = "CONTROLS"; }, -2,
       "Map file(MAP\\T.MAP) edition error", Where::Buffer},
      {"image count 0", [](mapw::MapFile& m) { m.faults.image_count = 0; }, 0, "", Where::Nowhere},
      {"blocks in reverse order", [](mapw::MapFile& m) { m.blocks_reversed = true; }, 0, "", Where::Nowhere},
      {"names in another case", [](mapw::MapFile& m) {
         m.head_name = "map_head";
         m.event_name = "Event";
       }, 0, "", Where::Nowhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mapw::MapFile m = town();
    c.change(m);
    write_map("T.MAP", m);
    const std::string before = errorTxt();
    const size_t boxes = hp().boxes().size();
    clear_buffer();
    EXPECT_EQ(map_load_file("MAP\\T.MAP", 400, 300), c.result);
    EXPECT_EQ(buffer(), c.text);
    const std::string added = errorTxt().substr(before.size());
    if (c.where == Where::BufferAndLog) {
      EXPECT_NE(added.find(c.text), std::string::npos) << added;
    } else {
      EXPECT_EQ(added, "") << "nothing logged";
    }
    EXPECT_EQ(hp().boxes().size(), boxes) << "no box";
    if (c.result == 0) {
      EXPECT_STREQ(map_record.path, "MAP\\T.MAP");
      EXPECT_EQ(map_record.cells_across, 16);
      EXPECT_EQ(map_record.objects.size(), 2u);
    }
  }
}

TEST_F(MapFile, MissingFileAndImageCountZero) {
  clear_buffer();
  EXPECT_EQ(map_load_file("MAP\\NONE.MAP", 0, 0), -2);
  EXPECT_EQ(buffer(), "Unable to launch MAP\\NONE.MAP file");
  EXPECT_EQ(logged("Unable to launch MAP\\NONE.MAP file"), 1);

  // Without images nothing is decoded: blank pages, no box, no log line.
  mapw::MapFile m = town();
  m.faults.image_count = 0;
  write_map("T.MAP", m);
  ASSERT_EQ(map_load_file("map/t.map", 0, 0), 0) << "any case, either separator";
  EXPECT_TRUE(map_record.images.empty());
  ASSERT_NE(map_record.pages[0].bitmap, nullptr);
  EXPECT_EQ(slot_pixel(0, 10, 10), 0);
  EXPECT_EQ(logged("decode error"), 0);
  EXPECT_TRUE(hp().boxes().empty());
  EXPECT_EQ(map_images_hit(0, 0, 1600, 1200), -2);
}

// Damaged and hostile files: each ends with its text and -2, or loads what is sound.
TEST_F(MapFile, Hostile) {
  mapw::Layout at;
  mapw::map_build(town(), &at);
  const uint32_t past = 0xFFFFFF00u;
  const struct Case {
    const char* name;
    std::function<void(mapw::MapFile&)> change;
    const char* kind;  // "format", "edition" or "" (loads)
  } cases[] = {
      {"cut inside the head", [](mapw::MapFile& m) { m.faults.truncate_to = 300; }, "edition"},
      {"cut inside MAP_IMG", [&](mapw::MapFile& m) { m.faults.truncate_to = at.image_block + 20; }, "format"},
      {"cut inside the image table", [&](mapw::MapFile& m) { m.faults.truncate_to = at.image_table + 5; }, "format"},
      {"cut inside an image head", [&](mapw::MapFile& m) { m.faults.truncate_to = at.image_heads[1] + 30; }, "format"},
      {"cut inside image 0's data", [&](mapw::MapFile& m) { m.faults.truncate_to = at.image_data[0] + 900; }, "format"},
      {"cut inside EVENT", [&](mapw::MapFile& m) { m.faults.truncate_to = at.event_block + 22; }, "format"},
      {"cut inside the cells", [&](mapw::MapFile& m) { m.faults.truncate_to = at.cells + 101; }, "format"},
      {"cut inside CONTROL", [&](mapw::MapFile& m) { m.faults.truncate_to = at.control_block + 30; }, "format"},
      {"cut inside an object", [&](mapw::MapFile& m) { m.faults.truncate_to = at.objects + 100; }, "format"},
      {"cut inside a region", [&](mapw::MapFile& m) { m.faults.truncate_to = at.regions + 300; }, "format"},
      {"MAP_IMG past the end", [&](mapw::MapFile& m) { m.faults.image_offset = past; }, "format"},
      {"EVENT past the end", [&](mapw::MapFile& m) { m.faults.event_offset = past; }, "format"},
      {"CONTROL past the end", [&](mapw::MapFile& m) { m.faults.control_offset = past; }, "format"},
      {"image table past the end", [&](mapw::MapFile& m) { m.faults.image_table_offset = past; }, "format"},
      {"image data past the end", [&](mapw::MapFile& m) { m.faults.image_data_offset = past; }, "format"},
      {"image data size past the end", [&](mapw::MapFile& m) { m.faults.image_data_size = 0xFFFFFFFFu; }, "format"},
      {"cells past the end", [&](mapw::MapFile& m) { m.faults.cells_offset = past; }, "format"},
      {"objects past the end", [&](mapw::MapFile& m) { m.faults.object_offset = past; }, "format"},
      {"regions past the end", [&](mapw::MapFile& m) { m.faults.region_offset = past; }, "format"},
      {"cell width 0", [](mapw::MapFile& m) { m.cell_width = 0; }, "format"},
      {"cell height negative", [](mapw::MapFile& m) { m.cell_height = -4; }, "format"},
      {"width 16001", [](mapw::MapFile& m) { m.width = 16001; }, "format"},
      {"height 12001", [](mapw::MapFile& m) { m.height = 12001; }, "format"},
      {"width 0", [](mapw::MapFile& m) { m.width = 0; }, "format"},
      {"more cells than the cap", [](mapw::MapFile& m) {
         m.width = 16000;
         m.height = 12000;
         m.cell_width = 1;
         m.cell_height = 1;
         m.cells = {0};  // not the 192,000,000 the sizes ask for
       }, "format"},
      {"pages across 0", [](mapw::MapFile& m) { m.pages_across = 0xFFFFFFFFu; }, "format"},
      {"pages across 21", [](mapw::MapFile& m) { m.pages_across = 21; }, "format"},
      {"image count huge", [](mapw::MapFile& m) { m.faults.image_count = 0x7FFFFFFF; }, "format"},
      {"object count huge", [](mapw::MapFile& m) { m.faults.object_count = 0x7FFFFFFF; }, "format"},
      {"region count huge", [](mapw::MapFile& m) { m.faults.region_count = 0x20000000; }, "format"},
      {"cell count negative", [](mapw::MapFile& m) { m.faults.cell_count = -1; }, "format"},
      {"image count negative", [](mapw::MapFile& m) { m.faults.image_count = -3; }, ""},
      {"object count negative", [](mapw::MapFile& m) { m.faults.object_count = -1; }, ""},
      {"region count negative", [](mapw::MapFile& m) { m.faults.region_count = -7; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mapw::MapFile m = town();
    c.change(m);
    write_map("H.MAP", m);
    clear_buffer();
    const int32_t result = map_load_file("MAP\\H.MAP", 100, 100);
    if (*c.kind) {
      EXPECT_EQ(result, -2);
      EXPECT_EQ(buffer(), std::string("Map file(MAP\\H.MAP) ") + c.kind + " error");
    } else {
      EXPECT_EQ(result, 0) << buffer();
    }
  }
}

// Pages without a sound stream, short masks and texts without their NUL.
TEST_F(MapFile, HostileParts) {
  // Page (1, 0)'s size runs past image 0's data: that page stays blank, with its box and line.
  mapw::MapFile m = town();
  m.faults.page_sizes = {{1, 0x7FFFFFFFu}};
  write_map("P.MAP", m);
  ASSERT_EQ(map_load_file("MAP\\P.MAP", 0, 0), 0);
  EXPECT_TRUE(near(slot_pixel(0, 5, 5), map_test::colour_of(0)));
  EXPECT_EQ(slot_pixel(1, 5, 5), 0) << "the fill colour";
  EXPECT_GE(logged("map jpg erro read"), 1);
  EXPECT_GE(logged("MAP\\P.MAP file decode error"), 1);

  // A layered image keeps its mask only with (width / 8) x height bytes.
  struct MaskCase {
    size_t bytes;
    uint8_t flags;
    uint8_t has_mask;
  } masks[] = {{25 * 300, 0x40, 1}, {25 * 300 - 1, 0x40, 0}, {25 * 300, 0xC0, 0}, {0, 0x40, 0}};
  for (const MaskCase& c : masks) {
    SCOPED_TRACE(c.bytes);
    mapw::MapFile k = town();
    k.images[0].data.resize(c.bytes);
    k.images[0].flags = c.flags;
    write_map("K.MAP", k);
    ASSERT_EQ(map_load_file("MAP\\K.MAP", 0, 0), 0);
    EXPECT_EQ(map_record.images[1].has_mask, c.has_mask);
  }

  // Texts that fill their fields stay bounded; a character is never cut in two.
  mapw::MapFile t = town();
  t.title = std::string(19, 'T') + "\xB5\xE7";  // the last character would straddle the field
  t.objects[0].name = std::string(80, 'n');
  t.regions[0].name = std::string(79, 'r') + "\xD3\xA2";
  t.regions[0].text = std::string(120, 'x');
  write_map("N.MAP", t);
  ASSERT_EQ(map_load_file("MAP\\N.MAP", 0, 0), 0);
  EXPECT_EQ(std::string(map_record.title), std::string(19, 'T'));
  EXPECT_EQ(std::string(map_record.objects[0].name), std::string(80, 'n'));
  EXPECT_EQ(std::string(map_record.regions[0].name), std::string(79, 'r'));
  EXPECT_EQ(std::string(map_record.regions[0].text), std::string(120, 'x'));

  // A path longer than the record's field is kept bounded too.
  const std::string long_path = "MAP\\" + std::string(300, 'p') + ".MAP";
  EXPECT_EQ(map_load_file(long_path.c_str(), 0, 0), -2);
  EXPECT_EQ(std::strlen(map_record.path), std::strlen("MAP\\N.MAP"));
}

// Everything the scene asks of the map, to compare a map before and after a failed load.
struct Snapshot {
  std::vector<int32_t> numbers;
  std::vector<uint16_t> cells;
  std::vector<uint8_t> grid;
  std::vector<int32_t> queries;
  bool operator==(const Snapshot&) const = default;
};
Snapshot snapshot() {
  Snapshot s;
  s.numbers = {map_record.display.cell_width, map_record.display.cell_height, map_record.display.map_width,
               map_record.map_height, map_record.cells_across, map_record.cells_down,
               static_cast<int32_t>(map_record.images.size()), static_cast<int32_t>(map_record.objects.size()),
               static_cast<int32_t>(map_record.regions.size()), scene_view_origin.x, scene_view_origin.y};
  for (const MAP_PAGE_SLOT& p : map_record.pages) s.numbers.insert(s.numbers.end(), {p.left, p.top, p.right, p.bottom});
  s.cells = map_record.cells;
  s.grid.assign(scene_walk_grid.cells,
                scene_walk_grid.cells + static_cast<size_t>(scene_walk_grid.width) * scene_walk_grid.height);
  for (int32_t y = -1; y <= map_record.cells_down; ++y) {
    for (int32_t x = -1; x <= map_record.cells_across; ++x) {
      s.queries.push_back(map_cell_is_blocked(x, y));
      s.queries.push_back(map_cell_test_2000(x, y));
      s.queries.push_back(map_cell_test_1000(x, y));
    }
  }
  return s;
}

TEST_F(MapLoad, KeepsOldMap) {
  write_map("A.MAP", town());
  ASSERT_EQ(map_load_file("MAP\\A.MAP", 900, 700), 0);
  int32_t look = -1;
  mdaw::MdaFile flag;
  flag.frame("a", mdaw::wave_tone(440, 10));
  flag.command("MainCommand0").step("a");
  const std::vector<uint8_t> flag_bytes = mdaw::mda_build(flag);
  dir.write("MDA/flag.mda", std::string(flag_bytes.begin(), flag_bytes.end()));
  ASSERT_EQ(mda_load_file("MDA\\flag.mda", &look), 0);
  map_record.objects[1].look = look;
  const Snapshot a = snapshot();

  // B: 800 x 600 in other cells, damaged at each step after the head.
  mapw::MapFile b = town();
  b.width = 800;
  b.height = 600;
  b.cell_width = 50;
  b.cell_height = 50;
  b.cells.clear();
  b.pages.resize(1);
  mapw::Layout at;
  mapw::map_build(b, &at);
  const struct Case {
    const char* name;
    std::function<void(mapw::MapFile&)> change;
  } cases[] = {
      {"MAP_IMG name", [](mapw::MapFile& m) { m.image_name = "X"; }},
      {"image data", [](mapw::MapFile& m) { m.faults.image_data_offset = 0xFFFFFFF0u; }},
      {"EVENT name", [](mapw::MapFile& m) { m.event_name = "X"; }},
      {"EVENT count", [](mapw::MapFile& m) { m.faults.cell_count = 5; }},
      {"CONTROL name", [](mapw::MapFile& m) { m.control_name = "X"; }},
      {"objects", [](mapw::MapFile& m) { m.faults.object_offset = 0xFFFFFFF0u; }},
      {"regions", [&](mapw::MapFile& m) { m.faults.truncate_to = at.regions + 10; }},
      {"walk grid", [](mapw::MapFile&) { walk_grid_fail_next_alloc(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mapw::MapFile damaged = b;
    c.change(damaged);
    write_map("B.MAP", damaged);
    EXPECT_EQ(map_load_file("MAP\\B.MAP", 100, 100), -2);
    EXPECT_TRUE(snapshot() == a);
    EXPECT_STREQ(map_record.path, "MAP\\A.MAP");
    EXPECT_EQ(map_record.objects[1].look, look);
  }
  EXPECT_EQ(logged("Unable to collocate memory"), 1) << "the walk grid's failure";

  write_map("B.MAP", b);
  ASSERT_EQ(map_load_file("MAP\\B.MAP", 100, 100), 0);
  EXPECT_EQ(map_record.display.map_width, 800);
  EXPECT_EQ(scene_walk_grid.width, 16);
  EXPECT_EQ(scene_walk_grid.height, 12);
  EXPECT_EQ(mda_find_by_id(look), -2) << "A's object look is released";
  EXPECT_STREQ(map_record.path, "MAP\\B.MAP");
}

TEST_F(MapLoad, ViewOrigin) {
  const struct Case {
    int32_t width, height, x, y, left, top;
  } cases[] = {
      {1600, 1200, 100, 100, 0, 0},    {1600, 1200, 1500, 1100, 800, 600}, {1600, 1200, 1200, 900, 800, 600},
      {1600, 1200, 1000, 700, 600, 400}, {600, 400, 300, 200, 0, 0},      {2400, 1800, 1999, 1499, 1599, 1199},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.x << "," << c.y);
    mapw::MapFile m = town();
    m.width = c.width;
    m.height = c.height;
    m.cell_width = 100;
    m.cell_height = 100;
    m.cells.clear();
    write_map("V.MAP", m);
    ASSERT_EQ(map_load_file("MAP\\V.MAP", c.x, c.y), 0);
    EXPECT_EQ(scene_view_origin.x, c.left);
    EXPECT_EQ(scene_view_origin.y, c.top);
    EXPECT_EQ(map_record.view_copy_x, c.left);
    EXPECT_EQ(map_record.view_copy_y, c.top);
  }
}

// The walk grid the loader builds: blocked cells 0x80, the outer ring 0xC0.
TEST_F(MapLoad, WalkGrid) {
  write_map("A.MAP", town());
  ASSERT_EQ(map_load_file("MAP\\A.MAP", 400, 300), 0);
  ASSERT_EQ(scene_walk_grid.width, 16);
  ASSERT_EQ(scene_walk_grid.height, 8);
  EXPECT_EQ(scene_walk_grid.cell_width, 100);
  EXPECT_EQ(scene_walk_grid.cell_height, 150);
  const auto at = [](int x, int y) { return scene_walk_grid.cells[y * 16 + x]; };
  EXPECT_EQ(at(0, 0), 0xC0);
  EXPECT_EQ(at(15, 3), 0xC0);
  EXPECT_EQ(at(3, 7), 0xC0);
  EXPECT_EQ(at(1, 4), 0x80) << "the wall";
  EXPECT_EQ(at(7, 4), 0x00) << "the gap";
  EXPECT_EQ(at(2, 2), 0x00) << "a wander cell is free";
  scene_walk_grid.cells[2 * 16 + 5] |= WALK_VISITED;
  walk_grid_reset_border(&scene_walk_grid);
  EXPECT_EQ(at(5, 2), 0x00) << "the search's mark goes";
  walk_grid_free(&scene_walk_grid);
  EXPECT_EQ(scene_walk_grid.cells, nullptr);
  EXPECT_EQ(scene_walk_grid.width, 0);
  EXPECT_EQ(scene_walk_grid.cell_height, 0);
}

}  // namespace

namespace {

// The end of the game: everything the scene held for the map goes; effect slots go only when
// flagged, the walk-target sign always.
TEST_F(MapLoad, SceneFreeMap) {
  write_map("A.MAP", town());
  ASSERT_EQ(map_load_file("MAP\\A.MAP", 400, 300), 0);
  mdaw::MdaFile look;
  look.frame("a", mdaw::wave_tone(440, 10));
  look.command("MainCommand0").step("a");
  const std::vector<uint8_t> bytes = mdaw::mda_build(look);
  for (const char* name : {"MDA/point.mda", "MDA/one.mda", "MDA/two.mda"}) dir.write(name, std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(mda_load_file("MDA\\point.mda", &map_point_handle), 0);
  int32_t flagged = -1, kept = -1;
  ASSERT_EQ(mda_load_file("MDA\\one.mda", &flagged), 0);
  ASSERT_EQ(mda_load_file("MDA\\two.mda", &kept), 0);
  mda_table.entries.data[mda_find_by_id(flagged)].release_flag = 1;
  extra_media_slots[3].handles[0] = flagged;
  extra_media_slots[4].handles[1] = kept;
  map_control_bitmap = bitmap16_create(800, 600);
  map_images_hit(1050, 400, 20, 50);
  ASSERT_FALSE(map_image_hits.empty());
  seam_calls_clear();

  scene_free_map();

  EXPECT_EQ(map_control_bitmap, nullptr);
  EXPECT_EQ(map_point_handle, -1);
  EXPECT_EQ(extra_media_slots[3].handles[0], -1);
  EXPECT_EQ(mda_find_by_id(flagged), -2);
  EXPECT_EQ(extra_media_slots[4].handles[1], kept);
  EXPECT_GE(mda_find_by_id(kept), 0);
  for (const MAP_PAGE_SLOT& s : map_record.pages) {
    EXPECT_EQ(s.bitmap, nullptr);
    EXPECT_EQ(s.left, MAP_PAGE_UNUSED);
  }
  EXPECT_EQ(small_map.bitmap, nullptr);
  EXPECT_TRUE(map_image_hits.empty());
  EXPECT_TRUE(map_record.cells.empty());
  EXPECT_TRUE(map_record.images.empty());
  EXPECT_EQ(seam_call_count("battle_free_graphics"), 1);
  scene_free_map();  // twice is harmless
}

}  // namespace
