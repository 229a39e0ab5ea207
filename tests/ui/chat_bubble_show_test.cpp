// Showing a speech bubble over a map speaker: the options, the speaker checks, the rectangle
// above the look's frame, the 160-byte cut.
#include "client/settings/settings.h"
#include "graphics/mda/mda.h"
#include "tests/world/bubble_fixture.h"
#include "ui/chat_bubble/chat_bubble.h"
#include "world/battle/fight_units.h"
#include "world/scene/scene_frame.h"

namespace {

using scene_test::kNpc;
constexpr uint32_t kSage = kNpc | 1, kMute = kNpc | 2;

class BubblesShow : public bubble_test::BubbleTest {
 protected:
  void SetUp() override {
    BubbleTest::SetUp();
    settings.bubbles = 1;
    settings.chat_channels[0] = 1;
    addPlayer(1000, 1000);
    ASSERT_GE(scene_add_char(record(kSage, "Sage", 1, 1040, 1000)), 0);
    ASSERT_GE(scene_add_char(record(kMute, "Mute", 2, 1060, 1000)), 0);
    // The sage has been drawn once; the mute one not yet.
    MDA_ENTRY* sage = entryOf(of(kSage).look_handle);
    ASSERT_NE(sage, nullptr);
    sage->last_frame = 0;
    if (MDA_ENTRY* mute = entryOf(of(kMute).look_handle)) mute->last_frame = -1;
    frame = mda_last_drawn_frame(mda_find_by_id(of(kSage).look_handle));
    ASSERT_NE(frame, nullptr);
  }
  const Img256Frame* frame = nullptr;
};

struct NoBubbleCase {
  const char* name;
  void (*setup)();
  uint32_t speaker;
};

TEST_F(BubblesShow, NoBubbleAndNoSlotTaken) {
  const NoBubbleCase cases[] = {
      {"speech bubbles off", [] { settings.bubbles = 0; }, kSage},
      {"Local filter off", [] { settings.chat_channels[0] = 0; }, kSage},
      {"a speaker not in the scene", [] {}, kNpc | 77},
      {"a speaker whose look was never drawn", [] {}, kMute},
  };
  for (const NoBubbleCase& c : cases) {
    SCOPED_TRACE(c.name);
    chat_bubbles_clear();
    settings.bubbles = 1;
    settings.chat_channels[0] = 1;
    c.setup();
    chat_bubble_show(c.speaker, "Hello there!");
    EXPECT_TRUE(order().empty());
    for (const CHAT_BUBBLE& b : chat_bubbles) EXPECT_EQ(b.in_use, 0);
  }
}

TEST_F(BubblesShow, MapSpeakerGetsABubbleAboveItsFrame) {
  const uint32_t now = plat::tier0::msTime();
  chat_bubble_show(kSage, "Hello there!");
  ASSERT_EQ(order(), std::vector<int32_t>{0});
  const CHAT_BUBBLE& b = chat_bubbles[0];
  ASSERT_EQ(emote->layouts.size(), 1u);
  EXPECT_EQ(emote->layouts[0].rect.right - emote->layouts[0].rect.left, 96) << "measured 96 wide";
  EXPECT_EQ(emote->layouts[0].rect.bottom - emote->layouts[0].rect.top, 600);
  // The fake measures 8 pixels a byte and 20 a line: 96 x 20.
  EXPECT_EQ(b.in_use, 1);
  EXPECT_STREQ(b.text, "Hello there!");
  EXPECT_EQ(b.x0, 1040 - 48 - 4);
  EXPECT_EQ(b.y0, 1000 - frame->hot_y() - 20 - 24);
  EXPECT_EQ(b.x1, b.x0 + 96 + 8);
  EXPECT_EQ(b.y1, b.y0 + 20 + 12);
  EXPECT_EQ(b.expiry, now + 8000);
  EXPECT_EQ(b.speaker_id, kSage);
  EXPECT_EQ(b.speaker_x, 1040);
  EXPECT_EQ(b.speaker_y, 1000);

  // It goes 8 s later and follows the speaker until then.
  scene_chars[scene_find_char(kSage)].x += 10;
  gfxt::Bitmap screen = gfxt::make_bitmap(800, 600);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[0].x0, 1040 - 52 + 10);
  hp().fakeClock().advance(8001);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_TRUE(order().empty());
}

struct CutCase {
  const char* name;
  std::string text;
  size_t kept;
};

TEST_F(BubblesShow, LongTextsAreCutOnACharacterBoundary) {
  const CutCase cases[] = {
      {"200 plain bytes keep 160", std::string(200, 'a'), 160},
      {"a two-byte character across the limit is dropped whole", std::string(159, 'a') + "\xc4\xe3" + "bb", 159},
      {"a short text is kept", "Hi", 2},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.name);
    chat_bubbles_clear();
    chat_bubble_show(kSage, c.text.c_str());
    ASSERT_EQ(order().size(), 1u);
    EXPECT_EQ(std::string(chat_bubbles[order()[0]].text), c.text.substr(0, c.kept));
  }
}

TEST_F(BubblesShow, InBattleTheMapCaseShowsNothing) {
  in_battle_flag = 1;
  chat_bubble_show(kSage, "Hello there!");
  EXPECT_TRUE(order().empty());
}

}  // namespace
