// The page arrows over a media file whose four frames have their own colours: which frame each
// button shows, greyed or not, and where the bag page ends, for mouse positions and events.
#include <gtest/gtest.h>

#include "client/game/frame_input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "items/bag/bag_page.h"
#include "tests/graphics/gfx_test_support.h"
#include "ui/pager/page_arrows.h"
#include "ui/player/player_record.h"
#include "world/battle/fight_units.h"

namespace {

class Pager : public gfxt::MediaFixture {
 protected:
  void SetUp() override {
    MediaFixture::SetUp();
    mdaw::MdaFile f;
    const mdaw::Rgba colours[4] = {{200, 10, 10, 255}, {10, 200, 10, 255}, {10, 10, 200, 255}, {200, 200, 10, 255}};
    for (int k = 0; k < 4; ++k) {
      f.frame("f" + std::to_string(k), gfxt::solid_frame(4, 4, colours[k]));
      f.command("MainCommand" + std::to_string(k)).step("f" + std::to_string(k));
    }
    page_arrow_media = load("system/ui.mda", f);
    page_arrow_prev_frame = 0;
    page_arrow_next_frame = 2;
    saved_back_ = screen_back;
    screen_back = target_.get();
    player_record_loaded = 1;
    player_record.page_count = 3;
  }
  void TearDown() override {
    screen_back = saved_back_;
    MediaFixture::TearDown();
  }
  // The pixel a frame leaves when drawn alone with the flags.
  uint16_t picture(int32_t frame, uint32_t flags) {
    gfxt::Bitmap b = gfxt::make_bitmap(8, 8, 0);
    mda_run_command(page_arrow_media, ("MainCommand" + std::to_string(frame)).c_str(), 0, 0, b.get(), flags, 0, 0, 0);
    return b->rows[0][0];
  }
  struct Shown {
    uint16_t prev, next;
  };
  Shown run(int32_t mx, int32_t my, uint8_t event) {
    bitmap16_fill(target_.get(), 0);
    frame_input.mouse_x = mx;
    frame_input.mouse_y = my;
    frame_input.event_code = event;
    pager_draw_arrows(100, 50, 0, 0, 40, 0);
    return {target_->rows[50][100], target_->rows[50][140]};
  }

  gfxt::Bitmap target_ = gfxt::make_bitmap(200, 100, 0);
  BITMAP16* saved_back_ = nullptr;
};

TEST_F(Pager, Arrows) {
  const uint16_t prev = picture(0, 2), prev_down = picture(1, 2), prev_grey = picture(0, 0x2002);
  const uint16_t next = picture(2, 2), next_down = picture(3, 2), next_grey = picture(2, 0x2002);
  ASSERT_NE(prev, prev_grey);
  ASSERT_NE(next, next_grey);
  struct Case {
    int32_t mx, my;
    uint8_t event;
    int32_t page;
    uint16_t want_prev, want_next;
    int32_t page_after;
    const char* why;
  } cases[] = {
      {121, 71, 245, 1, prev, next, 0, "a click on corner + 21 counts"},
      {122, 71, 245, 1, prev, next, 1, "one past the box"},
      {99, 50, 245, 1, prev, next, 1, "one left of the box"},
      {100, 50, 245, 0, prev_grey, next, 0, "page 0: grey, the click does nothing"},
      {100, 50, 244, 0, prev_grey, next, 0, "page 0: no pressed picture either"},
      {105, 55, 244, 2, prev_down, next, 2, "244 shows the pressed frame and keeps the page"},
      {145, 55, 244, 1, prev, next_down, 1, "the next button pressed"},
      {145, 55, 245, 1, prev, next, 2, "245 raises the page"},
      {145, 55, 245, 3, prev, next_grey, 3, "at the highest page the next button is grey"},
      {145, 55, 3, 1, prev, next, 1, "another event"},
  };
  for (const Case& c : cases) {
    bag_page = c.page;
    const Shown s = run(c.mx, c.my, c.event);
    EXPECT_EQ(s.prev, c.want_prev) << c.why;
    EXPECT_EQ(s.next, c.want_next) << c.why;
    EXPECT_EQ(bag_page, c.page_after) << c.why;
  }
}

TEST_F(Pager, HighestPageSource) {
  frame_input.own_char_id = 77;
  bag_page = 2;
  struct Case {
    int32_t loaded, record_pages, in_battle, unit_in_use, unit_pages, want_highest;
    const char* why;
  } cases[] = {
      {1, 3, 0, 0, 0, 3, "the player record"},
      {0, 3, 0, 0, 0, 0, "a record not loaded"},
      {1, 3, 1, 1, 5, 5, "in battle: the player's fight unit"},
      {1, 3, 1, 0, 5, 0, "in battle without the player's unit"},
  };
  for (const Case& c : cases) {
    player_record_loaded = c.loaded;
    player_record.page_count = static_cast<uint8_t>(c.record_pages);
    in_battle_flag = c.in_battle;
    fight_units[4] = FIGHT_UNIT{};
    fight_units[4].in_use = static_cast<uint8_t>(c.unit_in_use);
    fight_units[4].id = 77;
    fight_units[4].page_count = static_cast<uint8_t>(c.unit_pages);
    // Click next until it stops moving: the page ends at the highest page (or stays at 2).
    bag_page = 0;
    for (int i = 0; i < 8; ++i) run(145, 55, 245);
    EXPECT_EQ(bag_page, c.want_highest) << c.why;
  }
  EXPECT_EQ(battle_find_unit(78), -1);
}

TEST_F(Pager, NoMediaDrawsNothing) {
  page_arrow_media = -1;
  bag_page = 1;
  const Shown s = run(145, 55, 245);
  EXPECT_EQ(s.prev, 0);
  EXPECT_EQ(s.next, 0);
  EXPECT_EQ(bag_page, 2) << "the page still moves";
}

}  // namespace
