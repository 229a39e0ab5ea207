// The renderer's operations: the three queues, ids, results, release and the text cut.
#include <string>

#include "engine/emote/pixel_block.h"
#include "tests/engine/emote_fixture.h"

namespace {

using emote_test::OwnedBitmap;

class EmoteText : public emote_test::EmoteFixture {};

TEST_F(EmoteText, Queues) {
  init();
  plat::Rect r{0, 0, 19, 100};
  EXPECT_EQ(emote.emote_text_layout("a", &r, 1, nullptr, 0), EMOTE_TEXT_FAIL);
  r = {0, 0, 100, 19};
  EXPECT_EQ(emote.emote_text_layout("a", &r, 1, nullptr, 0), EMOTE_TEXT_FAIL);
  EXPECT_EQ(r.right, 100);  // refused: nothing written back
  EXPECT_EQ(mgr().next_id, 0);
  EXPECT_TRUE(mgr().persistent.empty());

  // Measuring only: a new id, the used rectangle back, every queue as it was.
  r = {10, 20, 30, 40};
  EXPECT_EQ(emote.emote_text_layout("ab", &r, 0, nullptr, 0), 0);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 22);
  EXPECT_EQ(r.bottom, 39);
  EXPECT_EQ(mgr().next_id, 1);
  EXPECT_EQ(mgr().gdi, 1);  // back to 1 whatever it was asked
  EXPECT_TRUE(mgr().persistent.empty() && mgr().frame_soft.empty() && mgr().frame_gdi.empty());

  // An emote of height 32 makes line 1 13 pixels taller than plain text.
  r = {0, 0, 200, 100};
  EXPECT_EQ(emote.emote_text_layout("a#1", &r, 0, nullptr, 0), 13);

  // Ids grow by one per layout, draw line and draw.
  EXPECT_EQ(emote.emote_text_draw_line(0, 0, 100, 30, "once"), 0);
  EXPECT_EQ(mgr().next_id, 3);
  EXPECT_EQ(emote.emote_text_draw(0, 0, 100, 30, "window", 0), 0);
  EXPECT_EQ(mgr().next_id, 4);
  r = {0, 30, 100, 60};
  EXPECT_EQ(emote.emote_text_layout("kept", &r, 1, nullptr, 0), 0);
  const int32_t kept = mgr().next_id;
  EXPECT_EQ(kept, 5);
  ASSERT_EQ(mgr().persistent.requests.count(kept), 1u);

  // A null target: refused, the frame queue kept, the flag and the times updated.
  pass(40);
  EXPECT_EQ(emote.emote_text_flush(1, 2, 0.07f, nullptr, 0), EMOTE_TEXT_FAIL);
  EXPECT_EQ(mgr().gdi, 0);
  EXPECT_EQ(mgr().current_time, sys_last_pump_time());
  EXPECT_EQ(mgr().frame_soft.runs.size(), 1u);

  // The draw-line text is drawn by one flush; the kept one by every flush until removed.
  OwnedBitmap screen(100, 60);
  ASSERT_EQ(emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0), 0);
  int top = 0, bottom = 0;
  for (uint32_t y = 0; y < 60; ++y) {
    for (uint32_t x = 0; x < 100; ++x) (y < 30 ? top : bottom) += screen->rows[y][x] != 0;
  }
  EXPECT_GT(top, 0);
  EXPECT_GT(bottom, 0);
  EXPECT_TRUE(mgr().frame_soft.empty());
  EXPECT_EQ(mgr().frame_gdi.runs.size(), 1u);  // the flush leaves the window's queue alone
  for (int round = 0; round < 2; ++round) {
    bitmap16_clear(screen.get());
    ASSERT_EQ(emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0), 0);
    int upper = 0, lower = 0;
    for (uint32_t y = 0; y < 60; ++y) {
      for (uint32_t x = 0; x < 100; ++x) (y < 30 ? upper : lower) += screen->rows[y][x] != 0;
    }
    EXPECT_EQ(upper, 0);
    EXPECT_EQ(lower, bottom);
  }
  EXPECT_EQ(emote.emote_text_remove(12345), 0);
  EXPECT_EQ(mgr().persistent.runs.size(), 1u);
  EXPECT_EQ(emote.emote_text_remove(kept), 0);
  bitmap16_clear(screen.get());
  ASSERT_EQ(emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0), 0);
  EXPECT_EQ(inked(screen.get()), 0);

  // Clear empties the kept texts; tick empties the window queue.
  r = {0, 30, 100, 60};
  emote.emote_text_layout("again", &r, 1, nullptr, 0);
  emote.emote_text_clear();
  EXPECT_TRUE(mgr().persistent.empty());
  plat::Canvas24 window(100, 60);
  EXPECT_EQ(emote.emote_text_tick(&window, nullptr), 0);
  EXPECT_TRUE(mgr().frame_gdi.empty());
  EXPECT_EQ(mgr().gdi, 1);
  EXPECT_EQ(mgr().dc, &window);
}

TEST_F(EmoteText, Release) {
  init();
  plat::Rect r{0, 0, 100, 40};
  emote.emote_text_layout("kept", &r, 1, nullptr, 0);
  emote.emote_text_draw_line(0, 0, 100, 30, "x");
  emote.emote_text_draw(0, 0, 100, 30, "y", 0);
  mgr().spare[1] = {};
  EXPECT_EQ(emote.emote_text_release(), 0);
  EXPECT_TRUE(mgr().persistent.empty() && mgr().frame_soft.empty() && mgr().frame_gdi.empty());
  EXPECT_TRUE(mgr().spare.empty());
  EXPECT_EQ(mgr().next_id, 0);
  EXPECT_EQ(mgr().pixels, nullptr);
  EXPECT_EQ(emote_layout, nullptr);
  EXPECT_EQ(emote_surface, nullptr);

  // Every operation that needs the layout or the surface fails and draws nothing.
  OwnedBitmap screen(100, 40);
  plat::Canvas24 window(100, 40);
  r = {0, 0, 100, 40};
  EXPECT_EQ(emote.emote_text_layout("a", &r, 1, nullptr, 0), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote.emote_text_draw_line(0, 0, 100, 30, "a"), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote.emote_text_draw(0, 0, 100, 30, "a", 0), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote.emote_text_tick(&window, nullptr), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote.emote_text_draw_emote(10, 10, 0, 0, 3, 1, 1, nullptr), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote.emote_text_remove(1), 0);
  emote.emote_text_clear();
  EXPECT_EQ(inked(screen.get()), 0);
  EXPECT_EQ(mgr().next_id, 0);
  EXPECT_EQ(emote.emote_text_release(), 0);  // twice is harmless

  // A new init works.
  init();
  EXPECT_EQ(emote.emote_text_draw_line(0, 0, 100, 30, "a"), 0);
  EXPECT_EQ(emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0), 0);
  EXPECT_GT(inked(screen.get()), 0);
}

TEST_F(EmoteText, InitFailures) {
  // The buffers cannot be made.
  pixel_block_fail_at(1);
  EXPECT_EQ(emote.emote_text_init("system\\Phiz.MDA"), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote_layout, nullptr);
  // A media file is missing.
  EXPECT_EQ(emote.emote_text_init("system\\Nothing.MDA"), EMOTE_TEXT_FAIL);
  EXPECT_EQ(emote_layout, nullptr);
  EXPECT_EQ(emote_surface, nullptr);
  // The picture table: one entry per command, each with the first frame's size.
  init();
  ASSERT_EQ(emote_surface->pictures.size(), 3u);
  const EMOTE_PICTURE& p = emote_surface->pictures.at("001");
  EXPECT_EQ(p.frame_count, 4);
  EXPECT_EQ(p.command, "MainCommand1");
  EXPECT_EQ(p.width, 32);
  EXPECT_EQ(p.height, 32);
  EXPECT_EQ(emote_surface->pictures.at("002").frame_count, 2);
}

TEST_F(EmoteText, LongTextsAreCutOnACharacterBoundary) {
  init();
  // 2 + 2 x 1499 = 3000 bytes: 2047 would split a character, so 2046 are taken.
  std::string text = "ab";
  for (int i = 0; i < 1499; ++i) text += "\xd6\xd0";
  plat::Rect r{0, 0, 700, 700};
  emote.emote_text_layout(text.c_str(), &r, 1, nullptr, 0);
  const std::u16string& kept = mgr().persistent.requests.begin()->second.text;
  ASSERT_EQ(kept.size(), 2u + 1022u);
  EXPECT_EQ(kept.back(), u'\u4E2D');
  // Shorter texts are taken whole.
  r = {0, 0, 700, 700};
  emote.emote_text_clear();
  emote.emote_text_layout("ab\xd6\xd0", &r, 1, nullptr, 0);
  EXPECT_EQ(mgr().persistent.requests.begin()->second.text, u"ab\u4E2D");
}

}  // namespace
