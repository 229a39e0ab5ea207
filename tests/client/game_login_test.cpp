// The game login task (waiting for the scene, the map and its music) and the game screens'
// mouse cursors.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/game/game_login.h"
#include "client/net_msg/net_dispatch.h"
#include "client/settings/settings.h"
#include "client/sound/music_state.h"
#include "client/state/map_record.h"
#include "client/state/mouse_cursor.h"
#include "plat/cursor.h"
#include "tests/client/handler_payloads.h"
#include "tests/client/task_fixture.h"
#include "tools/curwrite/curwrite.h"
#include "graphics/img256/scene_view_origin.h"
#include "tools/mapwrite/mapwrite.h"
#include "world/map/map_data.h"
#include "world/map/map_load.h"
#include "world/scene/scene_chars.h"

namespace {

using handler_test::mapRecord;

class GameLogin : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    settings.music = 1;
    settings.volume = 100;
    // Map 7: 1600 x 1200 without pictures.
    mapw::MapFile m;
    m.width = 1600;
    m.height = 1200;
    m.background = false;
    const std::vector<uint8_t> bytes = mapw::map_build(m);
    dir.write("MAP/MAP007.MAP", std::string(bytes.begin(), bytes.end()));
  }
  static bool map7Loaded() { return std::string(map_record.path) == "MAP\\MAP007.MAP"; }

  // The world link on the real dispatcher, with the scene entry (map 7, music 7, the player at
  // 300, 400) waiting to be delivered.
  void serverSendsSceneEntry() {
    veldra_test::FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    ASSERT_EQ(net_connect_world(0x0100007F, 4000, net_dispatch_message), 0);
    worldLink()->inbound.push_back({0x30100, 0, bytesOf(mapRecord("Harbour", 7, 1001, 0, 7))});
  }
  static std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

  // The map state as a scene entry for map 7 and music 7 leaves it.
  void storeMap7() {
    SCENE_MAP_RECORD r{};
    r.map_number = 7;
    r.music_number = 7;
    r.block_88[14] = 300 << 16;  // own x: the u16 at 58 of the character record
    r.block_88[15] = 400;        // own y: the u16 at 60
    map_record_store(r);
  }

  std::vector<const veldra_test::MusicCall*> musicCalls(const std::string& op) {
    std::vector<const veldra_test::MusicCall*> out;
    for (const veldra_test::MusicCall& c : music.calls)
      if (c.op == op) out.push_back(&c);
    return out;
  }
};

TEST_F(GameLogin, WaitsForTheSceneThenLoadsItsMapAndMusic) {
  serverSendsSceneEntry();
  // The enter reply comes while the wait draws its third frame.
  const size_t presentedBefore = presented.size();
  int frames = 0;
  onPresent = [&] {
    if (++frames == 3) worldLink()->inbound.push_back({0x3000c, 0, {}});
  };
  EXPECT_EQ(task_game_login(), 0);

  EXPECT_GE(presented.size() - presentedBefore, 3u) << "the wait draws its frames";
  EXPECT_TRUE(map7Loaded());
  EXPECT_EQ(scene_view_origin.x, 0) << "the view around the player at (300, 400)";
  EXPECT_EQ(scene_view_origin.y, 100);
  const auto opens = musicCalls("music_open_file");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0]->name, "MUSIC\\MUS007.MP3");
  EXPECT_EQ(music_loop_flag, 1u);
  const auto volumes = musicCalls("music_set_volume");
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0]->value, 100);
  // The chat window follows its setting once the map is there.
  EXPECT_EQ(seam_call_count("chat_window_mode_apply"), 1);
}

// The scene entry that ends otherwise (-1) still loads the map; a map already loaded is not
// loaded again, and its music not restarted. The entry's frame is drawn before the wait ends; a
// failed entry ends it at once.
TEST_F(GameLogin, SceneWordAndLoadedMap) {
  const struct {
    int32_t in_scene;
    int32_t already_loaded;
    int loads;
  } cases[] = {{1, 0, 1}, {-1, 0, 1}, {1, 1, 0}, {-1, 1, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "in scene " << c.in_scene << ", loaded " << c.already_loaded);
    seam_calls_clear();
    map_record.path[0] = '\0';
    music.clear();
    music_playing = 0;
    storeMap7();
    scene_in_scene = c.in_scene;
    map_already_loaded = c.already_loaded;
    const size_t presents = presented.size();
    EXPECT_EQ(task_game_login(), 0);
    EXPECT_EQ(presented.size() - presents, c.in_scene == 1 ? 1u : 0u);
    EXPECT_EQ(map7Loaded(), c.loads == 1);
    EXPECT_EQ(musicCalls("music_open_file").size(), static_cast<size_t>(c.loads));
    EXPECT_EQ(seam_call_count("chat_window_mode_apply"), 1);
  }
}

TEST_F(GameLogin, FailingMapShowsItsPathAndEnds) {
  storeMap7();
  scene_in_scene = 1;
  dir.write("MAP/MAP007.MAP", "not a map");
  scheduleClick(elapsedMs() + 300);
  EXPECT_EQ(task_game_login(), -1);
  EXPECT_EQ(logged("Unable to load map file(MAP\\MAP007.MAP)"), 1) << errorTxt();
  EXPECT_TRUE(musicCalls("music_open_file").empty());
  EXPECT_EQ(seam_call_count("chat_window_mode_apply"), 0);
}

TEST_F(GameLogin, TheTaskTableRunsIt) {
  EXPECT_EQ(task_table[task_find_row(10)].function, &task_game_login);
  EXPECT_EQ(task_table[task_find_row(10)].next_on_0, TASK_GAME_MAIN);
}

// ---- mouse cursors ------------------------------------------------------------------------------

class MouseCursors : public task_test::TaskTest {
 protected:
  void writeCursors(std::vector<int> missing) {
    for (int n = 0; n < curwrite::kCursorSetSize; ++n) {
      if (std::find(missing.begin(), missing.end(), n) != missing.end()) continue;
      const std::vector<uint8_t> bytes = curwrite::cursorSetFile(n);
      dir.write("SYSTEM/MOUSE" + std::to_string(n) + ".ani", std::string(bytes.begin(), bytes.end()));
    }
  }
  int mouseErrors() {
    int n = 0;
    for (const plat::RecordedBox& b : hp().boxes()) {
      if (b.text == "init mouse error") {
        EXPECT_EQ(b.caption, "");
        ++n;
      }
    }
    return n;
  }
};

TEST_F(MouseCursors, EachFailedShapeShowsTheBoxAndTheRestLoad) {
  const struct {
    std::vector<int> missing;
  } cases[] = {{{}}, {{5}}, {{0, 12}}, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.missing.size() << " missing");
    for (int n = 0; n < curwrite::kCursorSetSize; ++n) {
      const std::string rel = "SYSTEM/MOUSE" + std::to_string(n) + ".ani";
      if (dir.exists(rel)) dir.write(rel, "not a cursor");
    }
    writeCursors(c.missing);
    hp().boxes().clear();
    mouse_cursors_load();
    EXPECT_EQ(mouseErrors(), static_cast<int>(c.missing.size()));
    for (int n = 0; n < MOUSE_CURSOR_SHAPES; ++n) {
      const bool missing = std::find(c.missing.begin(), c.missing.end(), n) != c.missing.end();
      EXPECT_EQ(mouse_cursor_state.handles[n] == 0, missing) << n;
    }
  }
}

TEST_F(MouseCursors, SetShowsALoadedShapeOnceWithoutMovingThePointer) {
  writeCursors({3});
  mouse_cursors_load();
  hp().cursorRecord().sets.clear();
  const plat::CursorId shape0 = mouse_cursor_state.handles[0];
  const plat::CursorId shape2 = mouse_cursor_state.handles[2];
  ASSERT_NE(shape0, 0u);
  auto shownAfterPump = [&] {
    frame_step();
    return hp().cursorRecord().current;
  };

  EXPECT_EQ(set_mouse_cursor(0), static_cast<int32_t>(shape0));
  EXPECT_EQ(mouse_cursor_state.current, 0);
  EXPECT_EQ(shownAfterPump(), shape0) << "the shape shows without a pointer move";

  const size_t sets = hp().cursorRecord().sets.size();
  EXPECT_EQ(set_mouse_cursor(0), static_cast<int32_t>(shape0));  // the current shape: nothing to do
  frame_step();
  EXPECT_EQ(hp().cursorRecord().sets.size(), sets);

  EXPECT_EQ(set_mouse_cursor(3), 0);  // failed to load: the shown shape stays
  EXPECT_EQ(mouse_cursor_state.current, 0);
  EXPECT_EQ(set_mouse_cursor(13), 0);
  EXPECT_EQ(set_mouse_cursor(-1), 0);
  EXPECT_EQ(mouse_cursor_state.current, 0);

  EXPECT_EQ(set_mouse_cursor(2), static_cast<int32_t>(shape2));
  EXPECT_EQ(shownAfterPump(), shape2);
  EXPECT_TRUE(hp().cursorRecord().warps.empty());
}

}  // namespace
