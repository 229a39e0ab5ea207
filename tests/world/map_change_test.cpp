// The server's map change: the map of the last scene entry loaded at the player's position, its
// music, the window title and the weather; a failure keeps the old map.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/front/server_select.h"
#include "client/state/map_record.h"
#include "engine/engine_main/engine_state.h"
#include "graphics/img256/scene_view_origin.h"
#include "tests/world/map_fixture.h"

namespace {

class MapChange : public map_test::MapTest {
 protected:
  // The scene entry for map `map` with music `music`, the own character 1001 "Hero" at (x, y).
  static void enter(int32_t map, int32_t music, uint16_t x, uint16_t y, int32_t weather) {
    SCENE_MAP_RECORD r{};
    r.map_number = map;
    r.music_number = music;
    r.block_60[0] = weather;
    r.block_88[0] = 1001;
    std::memcpy(reinterpret_cast<char*>(r.block_88) + 4, "Hero", 5);
    r.block_88[14] = x << 16;  // the u16 at 58 of the character record
    r.block_88[15] = y;        // the u16 at 60
    map_record_store(r);
  }
};

TEST_F(MapChange, Road) {
  settings.music = 1;
  std::strcpy(current_server_name, "Line 1");
  write_map("MAP002.MAP", map_test::town());
  enter(2, 2, 1500, 1100, 3);
  map_change();
  EXPECT_STREQ(map_record.path, "MAP\\MAP002.MAP");
  EXPECT_EQ(scene_view_origin.x, 800);
  EXPECT_EQ(scene_view_origin.y, 600);
  bool played = false;
  for (const veldra_test::MusicCall& c : music.calls) played = played || (c.op == "music_open_file" && c.name == "MUSIC\\MUS002.MP3");
  EXPECT_TRUE(played);
  EXPECT_EQ(hp().windowTitle(engine_state().window),
            "Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Hero ID 1001 ]");
  const std::vector<SEAM_CALL> weather = seam_calls_named("weather_set");
  ASSERT_EQ(weather.size(), 1u);
  EXPECT_EQ(weather[0].a, 3);

  // Map 9 is not there: the box, the debugger line, and map 2 as it was.
  seam_calls_clear();
  music.clear();
  enter(9, 9, 100, 100, 0);
  scheduleClick(elapsedMs() + 300);
  map_change();
  EXPECT_EQ(logged("Unable to load map file(MAP\\MAP009.MAP)"), 1);
  bool debug_line = false;
  for (const std::string& line : hp().debugLines()) debug_line = debug_line || line.find("ERROR MAP ERROR 1") != std::string::npos;
  EXPECT_TRUE(debug_line);
  EXPECT_STREQ(map_record.path, "MAP\\MAP002.MAP");
  EXPECT_EQ(map_record.cells_across, 16);
  EXPECT_EQ(scene_view_origin.x, 800);
  for (const veldra_test::MusicCall& c : music.calls) EXPECT_NE(c.op, "music_open_file");
  EXPECT_EQ(seam_call_count("weather_set"), 0);
}

}  // namespace
