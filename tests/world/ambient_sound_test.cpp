// Ambient sounds: start, volume and pan by the player's distance and side (the pan's p of 1 to
// 99 in steps of 100, below 1 centre, above 99 full), the 40 ms interval, re-levelling with the
// settings volume, stopping beyond 1500 pixels or without the player, and sound switched off.
#include <gtest/gtest.h>

#include <cstdio>

#include "client/common/seam_calls.h"
#include "client/settings/settings.h"
#include "tests/support/recording_sound_module.h"
#include "tests/world/scene_fixture.h"
#include "world/scene/ambient_sounds.h"

namespace scene_test {
namespace {

constexpr int32_t kObjX = 3000, kObjY = 3000;

class AmbientSound : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    settings.effects = 1;
    settings.volume = 100;
    MAP_OBJECT o{};
    std::snprintf(o.name, sizeof o.name, "fountain.wav");
    o.x = kObjX;
    o.y = kObjY;
    o.kind = MAP_OBJECT_SOUND;
    o.look = o.voice = -1;
    map_record.objects.assign(1, o);
    addPlayer(kObjX, kObjY);
    seam_calls_clear();
  }
  MAP_OBJECT& fountain() { return map_record.objects[0]; }
  // The player dx left of and dy above the fountain.
  static void playerAt(int32_t dx, int32_t dy) {
    SCENE_CHAR& p = scene_chars[scene_find_char(kPlayerId)];
    p.x = static_cast<uint16_t>(kObjX - dx);
    p.y = static_cast<uint16_t>(kObjY - dy);
  }
  void later(uint32_t ms) { hp().fakeClock().advance(ms); }
  static int64_t last(const char* op) {
    const auto calls = seam_calls_named(op);
    return calls.empty() ? INT64_MIN : calls.back().b;
  }
  veldra_test::RecordingSoundModule sound;
};

TEST_F(AmbientSound, Levels) {
  struct Case {
    int32_t dx, dy;
    bool plays;
    int32_t volume, pan;
  } cases[] = {
      {0, 0, true, 0, 0},           {1485, 0, true, -2970, 10000}, {900, 1200, true, -3000, 5800},
      {1500, 0, true, -3000, 10000}, {1501, 0, false, 0, 0},       {1060, 1060, true, -2970, 7100},
      {199, 0, true, -390, 0},      {-199, 0, true, -390, 0},      {200, 0, true, -390, 0},
      {-211, 0, true, -420, 0},     {211, 0, true, -420, 0},       {212, 0, true, -420, 100},
      {-212, 0, true, -420, -100},  {1399, 0, true, -2790, 9900},  {-1399, 0, true, -2790, -9900},
      {1400, 0, true, -2790, 10000}, {-1400, 0, true, -2790, -10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dx " << c.dx << " dy " << c.dy);
    fountain().playing = 0;
    fountain().voice = -1;
    fountain().next_check = 0;
    seam_calls_clear();
    playerAt(c.dx, c.dy);
    ambient_sounds_update();
    ASSERT_EQ(seam_call_count("sound_play_voice_file"), c.plays ? 1 : 0);
    EXPECT_EQ(fountain().playing, c.plays ? 1 : 0);
    if (!c.plays) continue;
    const SEAM_CALL start = seam_calls_named("sound_play_voice_file")[0];
    EXPECT_EQ(start.text, "EFC\\fountain.wav");
    EXPECT_EQ(start.b, 1) << "looped";
    EXPECT_EQ(fountain().voice, start.a);
    EXPECT_EQ(last("sound_set_voice_volume"), c.volume);
    EXPECT_EQ(last("sound_set_voice_pan"), c.pan);
  }
}

TEST_F(AmbientSound, RelevelsAndStops) {
  playerAt(0, 0);
  ambient_sounds_update();
  ASSERT_EQ(fountain().playing, 1);
  const int32_t voice = fountain().voice;
  settings.volume = 50;
  playerAt(-300, 0);  // 300 to the fountain's left of the player: pan -800, volume -600
  seam_calls_clear();
  later(39);
  ambient_sounds_update();
  EXPECT_TRUE(seam_calls().empty()) << "checked at most every 40 ms";
  later(1);
  ambient_sounds_update();
  EXPECT_EQ(seam_call_count("sound_play_voice_file"), 0);
  // ((-600 + 10000) x 50 / 100) - 10000
  EXPECT_EQ(last("sound_set_voice_volume"), -5300);
  EXPECT_EQ(last("sound_set_voice_pan"), -800);
  EXPECT_EQ(seam_calls_named("sound_set_voice_pan").back().a, voice);

  // Beyond the reach the voice stops and the flags clear; back inside it starts again.
  playerAt(1501, 0);
  later(40);
  ambient_sounds_update();
  ASSERT_EQ(seam_call_count("sound_stop_voice"), 1);
  EXPECT_EQ(seam_calls_named("sound_stop_voice")[0].a, voice);
  EXPECT_EQ(fountain().playing, 0);
  EXPECT_EQ(fountain().voice, -1);
  playerAt(10, 0);
  later(40);
  ambient_sounds_update();
  EXPECT_EQ(fountain().playing, 1);

  // Without the player the playing sound stops.
  seam_calls_clear();
  scene_remove_char(kPlayerId);
  later(40);
  ambient_sounds_update();
  EXPECT_EQ(seam_call_count("sound_stop_voice"), 1);
  EXPECT_EQ(fountain().playing, 0);
}

TEST_F(AmbientSound, SoundOff) {
  settings.effects = 0;
  playerAt(100, 0);
  ambient_sounds_update();
  EXPECT_EQ(fountain().playing, 1);
  EXPECT_EQ(fountain().voice, -2);
  later(40);
  ambient_sounds_update();
  EXPECT_TRUE(seam_calls().empty()) << "nothing to re-level";
  playerAt(2000, 0);
  later(40);
  ambient_sounds_update();
  EXPECT_EQ(fountain().playing, 0);
  EXPECT_TRUE(seam_calls().empty()) << "nothing to stop";
}

}  // namespace
}  // namespace scene_test

namespace scene_test {
namespace {

// Restarting the sounds near the player clears the playing flag of those within reach only.
TEST_F(AmbientSound, ResetNearObjects) {
  struct Case {
    const char* name;
    int32_t dx, dy;
    uint8_t playing_after;
  } cases[] = {
      {"on the spot", 0, 0, 0},
      {"at the reach", 900, 1200, 0},
      {"one pixel beyond", 900, 1201, 1},
  };
  for (const Case& c : cases) {
    playerAt(c.dx, c.dy);
    fountain().playing = 1;
    scene_reset_near_map_objects();
    EXPECT_EQ(fountain().playing, c.playing_after) << c.name;
  }
}

}  // namespace
}  // namespace scene_test
