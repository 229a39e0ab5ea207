// Speech bubbles: the order list, the frame tiles, and the per-frame upkeep (drift, speakers,
// expiry, battle placement).
#include "tests/world/bubble_fixture.h"
#include "world/battle/battle_camera.h"
#include "world/battle/fight_units.h"
#include "world/scene/scene_frame.h"

namespace {

class Bubbles : public bubble_test::BubbleTest {};
using scene_test::kNpc;

struct OrderCase {
  const char* name;
  std::vector<int32_t> before;  // the list as stored (50 entries padded with -1)
  void (*op)();
  std::vector<int32_t> after;  // its valid entries
};

TEST_F(Bubbles, OrderList) {
  std::vector<int32_t> full;
  for (int32_t i = 0; i < CHAT_BUBBLES; ++i) full.push_back(CHAT_BUBBLES - 1 - i);
  std::vector<int32_t> full_plus = full;
  const OrderCase cases[] = {
      {"compaction keeps the order of the valid entries", {-1, 7, -1, -1, 3, 9, -1, 1}, chat_bubble_order_compact,
       {7, 3, 9, 1}},
      {"a push goes after the valid entries, gaps closed", {-1, 4, -1, 2}, [] { chat_bubble_list_push(11); },
       {4, 2, 11}},
      {"a full list is left as it is", full, [] { chat_bubble_list_push(5); }, full_plus},
      {"an index listed twice loses only its first entry", {0, 6, 0, 8}, [] { chat_bubble_remove(0); }, {6, 0, 8}},
      {"removing an index not listed only compacts", {-1, 6, 8}, [] { chat_bubble_remove(3); }, {6, 8}},
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.name);
    chat_bubbles_clear();
    std::copy(c.before.begin(), c.before.end(), chat_bubble_order);
    c.op();
    EXPECT_EQ(order(), c.after);
    for (size_t i = c.after.size(); i < CHAT_BUBBLES; ++i) EXPECT_EQ(chat_bubble_order[i], -1) << i;
  }
}

TEST_F(Bubbles, SlotsFillThenReuseSlotZero) {
  for (int32_t i = 0; i < CHAT_BUBBLES; ++i) ASSERT_EQ(place(0, 0, 20, 20), i);
  chat_bubbles[17].in_use = 0;
  chat_bubble_remove(17);
  EXPECT_EQ(speech_bubble_find_free_slot(), 17) << "the first free record";
  chat_bubbles[17].in_use = 1;
  const std::vector<int32_t> before = order();
  EXPECT_EQ(speech_bubble_find_free_slot(), 0) << "all in use: slot 0";
  EXPECT_EQ(order(), before) << "the full list takes no entry";
  EXPECT_EQ(chat_bubbles_clear(), -1);
  EXPECT_TRUE(order().empty());
  for (const CHAT_BUBBLE& b : chat_bubbles) EXPECT_EQ(b.in_use, 0);
}

struct TileCase {
  int32_t w, h;
  int32_t across, down;  // middle tiles
};

TEST_F(Bubbles, FrameTilesAtTheirPlaces) {
  const TileCase cases[] = {{16, 16, 0, 0}, {17, 17, 0, 0}, {24, 24, 1, 1}, {100, 40, 10, 3}};
  for (const TileCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    gfxt::Bitmap b = gfxt::make_bitmap(200, 100);
    const int32_t x = 5, y = 3;
    draw_bubble_frame(x, y, c.w, c.h, b.get());
    const int32_t right = x + 8 + 8 * c.across, bottom = y + 8 + 8 * c.down;
    EXPECT_EQ(pieceAt(b.get(), x, y), WINDOW_FRAME_TOP_LEFT);
    EXPECT_EQ(pieceAt(b.get(), right, y), WINDOW_FRAME_TOP_RIGHT);
    EXPECT_EQ(pieceAt(b.get(), x, bottom), WINDOW_FRAME_BOTTOM_LEFT);
    EXPECT_EQ(pieceAt(b.get(), right + 7, bottom + 7), WINDOW_FRAME_BOTTOM_RIGHT);
    EXPECT_EQ(b->rows[y][right + 8], 0) << "nothing right of the frame";
    EXPECT_EQ(b->rows[bottom + 8][x], 0) << "nothing below the frame";
    for (int32_t i = 0; i < c.across; ++i) {
      EXPECT_EQ(pieceAt(b.get(), x + 8 + 8 * i, y), WINDOW_FRAME_TOP);
      EXPECT_EQ(pieceAt(b.get(), x + 8 + 8 * i, bottom), WINDOW_FRAME_BOTTOM);
    }
    for (int32_t r = 0; r < c.down; ++r) {
      EXPECT_EQ(pieceAt(b.get(), x, y + 8 + 8 * r), WINDOW_FRAME_LEFT);
      EXPECT_EQ(pieceAt(b.get(), right, y + 8 + 8 * r), WINDOW_FRAME_RIGHT);
      if (c.across > 0) {
        EXPECT_EQ(pieceAt(b.get(), x + 8, y + 8 + 8 * r), WINDOW_FRAME_CENTRE) << "centre drawn";
      }
    }
  }
}

TEST_F(Bubbles, OverlappingBubblesDriftApartOlderUp) {
  gfxt::Bitmap screen = gfxt::make_bitmap(800, 600);
  const int32_t older = place(100, 100, 160, 130);
  const int32_t newer = place(100, 100, 160, 130);
  const int32_t apart = place(400, 400, 440, 420);
  for (int frame = 1; frame <= 3; ++frame) {
    scene_draw_chat_bubbles(screen.get());
    EXPECT_EQ(chat_bubbles[older].y0, 100 - frame);
    EXPECT_EQ(chat_bubbles[older].y1, 130 - frame);
  }
  EXPECT_EQ(chat_bubbles[newer].y0, 100) << "the newer one stays";
  EXPECT_EQ(chat_bubbles[apart].y0, 400);
  // Touching edges still count; one pixel of gap does not.
  chat_bubbles_clear();
  const int32_t top = place(0, 0, 10, 10);
  place(0, 10, 10, 20);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[top].y0, -1);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[top].y0, -1);
}

TEST_F(Bubbles, SpeakersDragLeaveAndExpire) {
  addPlayer(1000, 1000);
  ASSERT_GE(scene_add_char(record(kNpc | 1, "Sage", 1, 1040, 1000)), 0);
  ASSERT_GE(scene_add_char(record(kNpc | 2, "Smith", 1, 960, 1000)), 0);
  gfxt::Bitmap screen = gfxt::make_bitmap(800, 600);
  scene_view_origin = {600, 700};
  const int32_t sage = place(1000, 900, 1080, 940, kNpc | 1);
  const int32_t smith = place(900, 800, 980, 840, kNpc | 2);
  const int32_t loose = place(700, 750, 760, 790, 0, 9000);

  scene_chars[scene_find_char(kNpc | 1)].x += 7;
  scene_chars[scene_find_char(kNpc | 1)].y -= 3;
  scene_remove_char(kNpc | 2);
  emote->lines.clear();
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[sage].x0, 1007) << "dragged with its speaker";
  EXPECT_EQ(chat_bubbles[sage].y1, 937);
  EXPECT_EQ(chat_bubbles[sage].speaker_x, 1047);
  EXPECT_EQ(chat_bubbles[smith].in_use, 0) << "its speaker left";
  EXPECT_EQ(order(), (std::vector<int32_t>{sage, loose}));
  // Frames at the map position less the view; text inside by 4 on every side.
  EXPECT_EQ(pieceAt(screen.get(), 1007 - 600, 897 - 700), WINDOW_FRAME_TOP_LEFT);
  EXPECT_EQ(pieceAt(screen.get(), 100, 50), WINDOW_FRAME_TOP_LEFT);
  ASSERT_EQ(emote->lines.size(), 2u);
  EXPECT_EQ(emote->lines[0].rect.left, 411);
  EXPECT_EQ(emote->lines[0].rect.top, 201);
  EXPECT_EQ(emote->lines[0].rect.right, 411 + 72);
  EXPECT_EQ(emote->lines[0].rect.bottom, 201 + 32);

  hp().fakeClock().advance(8000);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[sage].in_use, 1) << "at its expiry it still shows";
  hp().fakeClock().advance(1);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[sage].in_use, 0) << "past it, gone";
  EXPECT_EQ(order(), std::vector<int32_t>{loose});
  hp().fakeClock().advance(1000);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_TRUE(order().empty());
}

TEST_F(Bubbles, BattleViewUsesTheCameraAndNoSpeakerRule) {
  gfxt::Bitmap screen = gfxt::make_bitmap(800, 600);
  in_battle_flag = 1;
  battle_camera.origin_x = 100;
  battle_camera.origin_y = 40;
  const int32_t b = place(300, 200, 340, 230, kNpc | 9);  // a speaker not in the scene
  emote->lines.clear();
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubbles[b].in_use, 1) << "battle bubbles follow no speaker";
  EXPECT_EQ(pieceAt(screen.get(), 200, 160), WINDOW_FRAME_TOP_LEFT);
  ASSERT_EQ(emote->lines.size(), 1u);
  EXPECT_EQ(emote->lines[0].rect.left, 204);
  EXPECT_EQ(emote->lines[0].rect.top, 164);
}

TEST_F(Bubbles, AnimationTickEvery40Ms) {
  gfxt::Bitmap screen = gfxt::make_bitmap(8, 8);
  scene_draw_chat_bubbles(screen.get());
  const uint32_t first = chat_bubble_anim_tick();
  hp().fakeClock().advance(39);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubble_anim_tick(), first);
  hp().fakeClock().advance(1);
  scene_draw_chat_bubbles(screen.get());
  EXPECT_EQ(chat_bubble_anim_tick(), first + 1);
}

}  // namespace
