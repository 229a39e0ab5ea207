// Drawing the runs: the software path into a 16-bit bitmap and the window path onto a canvas.
#include <algorithm>
#include <cstring>

#include "engine/emote/pixel_block.h"
#include "engine/winfont/winfont.h"
#include "tests/engine/emote_fixture.h"

namespace {

using emote_test::OwnedBitmap;

class EmoteDraw : public emote_test::EmoteFixture {
 protected:
  // Draws one text through the software path into a fresh bitmap.
  int flush_one(const char* text, int32_t x, int32_t y, int32_t w, int32_t h, BITMAP16* screen) {
    bitmap16_clear(screen);
    emote.emote_text_draw_line(x, y, w, h, text);
    EXPECT_EQ(emote.emote_text_flush(0, 0, 0.07f, screen, 0), 0);
    return inked(screen);
  }
  static int count(const plat::Canvas24& c, uint32_t rgb) {
    int n = 0;
    for (int32_t y = 0; y < c.height(); ++y) {
      for (int32_t x = 0; x < c.width(); ++x) n += c.pixel(x, y) == rgb;
    }
    return n;
  }
};

TEST_F(EmoteDraw, Software) {
  init();
  OwnedBitmap screen(200, 100);
  // A run ending on the request's bottom is drawn; one pixel lower is not.
  EXPECT_GT(flush_one("X", 0, 0, 100, 19, screen.get()), 0);
  EXPECT_EQ(flush_one("X", 0, 0, 100, 18, screen.get()), 0);
  EXPECT_GT(flush_one("#1", 0, 0, 100, 32, screen.get()), 0);
  EXPECT_EQ(flush_one("#1", 0, 0, 100, 31, screen.get()), 0);

  // The underline runs under the run's box, in its colour.
  flush_one("#U#Rab", 5, 5, 100, 30, screen.get());
  for (int x = 5; x <= 17; ++x) EXPECT_EQ(screen->rows[24][x], 0xF800) << x;
  EXPECT_EQ(screen->rows[24][4], 0);
  EXPECT_EQ(screen->rows[24][18], 0);
  flush_one("#Rab", 5, 5, 100, 30, screen.get());
  EXPECT_EQ(screen->rows[24][10], 0);

  // measure_text: 6 per unit below 129, 12 above, 19 high.
  mgr().gdi = 0;
  const TextSize s = measure_text(u"ab\u4E2D");
  EXPECT_EQ(s.width, 24);
  EXPECT_EQ(s.height, 19);

  // A line into a small target stays inside it, whatever its length.
  OwnedBitmap small(100, 50);
  mgr().target = small.get();
  mgr().gdi = 0;
  draw_line(-10, 49, 900, 49, 0x1234);
  draw_line(99, -5, 99, 700, 0x4321);
  for (int x = 0; x < 99; ++x) EXPECT_EQ(small->rows[49][x], 0x1234);
  for (int y = 0; y < 50; ++y) EXPECT_EQ(small->rows[y][99], 0x4321);
  EXPECT_EQ(inked(small.get()), 149);
}

TEST_F(EmoteDraw, Outline) {
  init();
  OwnedBitmap screen(100, 50);
  const uint16_t saved = font_get_color();
  // The red block's box and the ring around it, with the switch off and on.
  struct Box {
    uint32_t x0 = 1000, y0 = 1000, x1 = 0, y1 = 0;
  };
  const auto draw = [&](uint8_t outline, Box* box) {
    bitmap16_fill(screen.get(), 0x1234);
    emote_outline = outline;
    emote.emote_text_draw_line(10, 10, 80, 30, "#Rab");
    emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0);
    emote_outline = 0;
    for (uint32_t y = 0; y < 50; ++y) {
      for (uint32_t x = 0; x < 100; ++x) {
        if (screen->rows[y][x] != 0xF800) continue;
        box->x0 = std::min(box->x0, x), box->y0 = std::min(box->y0, y);
        box->x1 = std::max(box->x1, x), box->y1 = std::max(box->y1, y);
      }
    }
  };
  Box plain, outlined;
  draw(0, &plain);
  ASSERT_LT(plain.x0, plain.x1);
  const uint32_t mid = (plain.y0 + plain.y1) / 2;
  EXPECT_EQ(screen->rows[mid][plain.x0 - 1], 0x1234);
  EXPECT_EQ(screen->rows[plain.y1 + 1][plain.x0], 0x1234);
  draw(1, &outlined);
  EXPECT_EQ(outlined.x0, plain.x0);
  EXPECT_EQ(outlined.y1, plain.y1);
  // Black copies one pixel left and right, one row above (top + 1) and one below (top + 3).
  EXPECT_EQ(screen->rows[mid][plain.x0 - 1], 0);
  EXPECT_EQ(screen->rows[mid][plain.x1 + 1], 0);
  EXPECT_EQ(screen->rows[plain.y0 - 1][plain.x0], 0);
  EXPECT_EQ(screen->rows[plain.y1 + 1][plain.x0], 0);
  EXPECT_EQ(screen->rows[plain.y0 - 2][plain.x0], 0x1234);
  EXPECT_EQ(screen->rows[plain.y1 + 2][plain.x0], 0x1234);
  EXPECT_EQ(font_get_color(), saved);
}

TEST_F(EmoteDraw, FlashAndPictureTiming) {
  init();
  OwnedBitmap screen(100, 40);
  plat::Rect r{0, 0, 100, 40};
  ASSERT_EQ(emote.emote_text_layout("#Sflash", &r, 1, nullptr, 0), 0);
  std::string seen;
  for (int frame = 0; frame < 16; ++frame) {
    pass(100);
    bitmap16_clear(screen.get());
    emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0);
    seen += inked(screen.get()) ? 'x' : '.';
  }
  EXPECT_EQ(seen, "xxxxxxxxxx.....x");
  emote.emote_text_clear();

  // Two copies of one picture: one step per frame, not one per copy.
  const EMOTE_PICTURE& p = emote_surface->pictures.at("001");
  std::string frames;
  for (int frame = 0; frame < 6; ++frame) {
    pass(150);
    emote.emote_text_draw_line(0, 0, 200, 40, "#1#1");
    emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0);
    frames += static_cast<char>('0' + p.current_frame);
  }
  EXPECT_EQ(frames, "123012");
  // Frames 60 ms apart: a step at most every 100 ms.
  int steps = 0;
  for (int frame = 0; frame < 10; ++frame) {
    const uint32_t before = p.step_time;
    pass(60);
    emote.emote_text_draw_line(0, 0, 200, 40, "#1");
    emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0);
    steps += p.step_time != before;
  }
  EXPECT_EQ(steps, 5);
}

TEST_F(EmoteDraw, Gdi) {
  init();
  // The run colour as the window path mixes it.
  struct Conv {
    uint16_t pixel;
    uint32_t rgb;
  };
  for (const Conv& c : {Conv{0xF800, 0xF80000}, Conv{0x07E0, 0x07FC00}, Conv{0x001F, 0x0003F8}}) {
    EXPECT_EQ(emote_colour_ref(c.pixel), c.rgb) << c.pixel;
  }

  // Text and a picture through the window queue onto the canvas.
  plat::Canvas24 window(200, 100);
  emote.emote_text_tick(&window, nullptr);
  EXPECT_EQ(measure_text(u"ab\u4E2D").width, 24);
  EXPECT_EQ(measure_text(u"ab\u4E2D").height, 18);
  emote.emote_text_draw(10, 10, 150, 60, "#Rab#1", 0);
  ASSERT_EQ(emote.emote_text_tick(&window, nullptr), 0);
  EXPECT_GT(count(window, 0xF80000), 0);
  EXPECT_EQ(count(window, 0x3C0000), 32 * 32);  // frame 0 of picture 001, opaque
  for (int32_t y = 0; y < 100; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      if (window.pixel(x, y) == 0xF80000) {
        EXPECT_TRUE(x >= 10 && x < 22 && y >= 10 + 2 && y < 70) << x << "," << y;
      }
    }
  }

  // The menu strip: black stays black as (1, 1, 1), skipped pixels keep the window.
  plat::Canvas24 strip(800, 600);
  strip.fill({0, 0, 800, 600}, 0x050505);
  emote.emote_text_draw_emote(300, 50, 0, 0, 2, 0, 1, nullptr);
  EXPECT_EQ(strip.pixel(300, 50), 0x050505u);  // drawn on the manager's canvas, not this one
  emote.emote_text_tick(&strip, nullptr);
  emote.emote_text_draw_emote(300, 50, 0, 0, 2, 0, 1, nullptr);
  EXPECT_EQ(strip.pixel(300, 50), 0x010101u);
  EXPECT_EQ(strip.pixel(301, 50), 0x050505u);
  EXPECT_EQ(strip.pixel(302, 50), 0x090909u);
  EXPECT_EQ(strip.pixel(0, 575), 0xC80000u);   // command 0, always
  EXPECT_EQ(strip.pixel(40, 576), 0x00C800u);  // the button
  EXPECT_EQ(strip.pixel(88, 575), 0x050505u);  // no blink

  // A frame taller than the pixel buffer: nothing below its 64th row reaches the canvas.
  emote.emote_text_draw_emote(200, 100, 0, 0, 9, 0, 0, nullptr);
  EXPECT_EQ(strip.pixel(200, 100), 0x323C46u);
  EXPECT_EQ(strip.pixel(209, 163), 0x323C46u);
  EXPECT_EQ(strip.pixel(200, 164), 0x050505u);
  EXPECT_EQ(strip.pixel(205, 199), 0x050505u);

  // The blink frame shows on calls 6 to 9 of every 10 while blink is set.
  std::string blinks;
  for (int call = 1; call <= 20; ++call) {
    strip.fill({0, 0, 800, 600}, 0x050505);
    emote.emote_text_draw_emote(0, 0, 0, 0, 0, 1, 0, nullptr);
    if (call == 12) emote.emote_text_draw_emote(0, 0, 0, 0, 0, 0, 0, nullptr);  // not counted
    blinks += strip.pixel(88, 575) == 0x0000C8u ? 'b' : '.';
  }
  EXPECT_EQ(blinks, ".....bbbb......bbbb.");
}

class EmoteFrameRunner : public EmoteDraw {
 protected:
  void SetUp() override {
    EmoteDraw::SetUp();
    mdaw::Picture p = mdaw::picture_fill(5, 1, {200, 100, 50, 255});
    p.at(0, 0) = {0, 0, 0, 255};
    p.at(1, 0).a = 49;
    p.at(2, 0).a = 50;
    p.at(3, 0).a = 200;
    p.at(4, 0).a = 201;
    mdaw::MdaFile f;
    f.frame("row", mdaw::img256_encode(p, {}));
    mdaw::FrameGeometry g;
    g.hot_x = 10;
    g.hot_y = 3;
    f.frame("moved", mdaw::img256_encode(mdaw::picture_fill(4, 1, {255, 255, 255, 100}), g));
    f.command("MainCommand0").step("row");
    f.command("MainCommand1").step("moved");
    write_media("blend.mda", f);
    ASSERT_EQ(mda_load_file("blend.mda", &media), 0);
    block = pixel_block_alloc(128, 64);
  }
  void TearDown() override {
    pixel_block_free(&block);
    mda_object_release(&media);
    EmoteDraw::TearDown();
  }
  static uint32_t at(const PIXEL_BLOCK24* b, int x, int y) {
    const uint8_t* p = b->rows[y] + 3 * x;
    return plat::rgb24(p[2], p[1], p[0]);
  }
  int32_t media = -1;
  PIXEL_BLOCK24* block = nullptr;
};

TEST_F(EmoteFrameRunner, BlendsWrapsAndReports) {
  // Colour (200, 100, 50) over a background, by alpha: below 50 nothing, above 200 the colour,
  // between a blend truncated toward zero; without a background over black.
  PIXEL_BLOCK24* bg = pixel_block_alloc(8, 8);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) bg->rows[y][3 * x] = 250, bg->rows[y][3 * x + 1] = 20, bg->rows[y][3 * x + 2] = 10;
  }
  struct Case {
    bool background;
    uint32_t pixels[5];
  };
  const Case cases[] = {
      {true, {0x010101, 0, plat::rgb24(47, 35, 211), plat::rgb24(159, 82, 94), plat::rgb24(200, 100, 50)}},
      {false, {0x010101, 0, plat::rgb24(39, 19, 9), plat::rgb24(156, 78, 39), plat::rgb24(200, 100, 50)}},
  };
  for (const Case& k : cases) {
    plat::Rect r{0, 0, 0, 0};
    EXPECT_EQ(emote_run_frame(media, "MainCommand0", 0, 0, block, 0, k.background ? bg : nullptr, &r), 2);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(at(block, x, 0), k.pixels[x]) << x << " bg " << k.background;
    std::memset(block->rows[0], 0, 15);
  }

  // The frame's origin moves the rectangle left of and above the background: the read wraps.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) bg->rows[y][3 * x] = static_cast<uint8_t>(10 * x), bg->rows[y][3 * x + 2] = static_cast<uint8_t>(10 * y);
  }
  plat::Rect r{0, 0, 0, 0};
  EXPECT_EQ(emote_run_frame(media, "MainCommand1", 0, 0, block, 0, bg, &r), 2);
  EXPECT_EQ(r.left, -10);
  EXPECT_EQ(r.top, -3);
  EXPECT_EQ(r.right, 4);
  EXPECT_EQ(r.bottom, 1);
  for (int k = 0; k < 4; ++k) {
    const int bx = (-10 + k + 16) % 8, by = 5;  // -3 wrapped into 8 rows
    const uint8_t* d = bg->rows[by] + 3 * bx;
    EXPECT_EQ(at(block, k, 0), plat::rgb24(colour_blend(d[2], 255, 100), colour_blend(d[1], 255, 100),
                                           colour_blend(d[0], 255, 100)))
        << k;
  }
  pixel_block_free(&bg);

  // A missing command or step: the box, nothing drawn.
  std::memset(block->rows[0], 0, 384);
  r = {};
  EXPECT_EQ(emote_run_frame(media, "MainCommand7", 0, 0, block, 0, nullptr, &r), 0);
  EXPECT_EQ(emote_run_frame(media, "MainCommand0", 0, 0, block, 5, nullptr, &r), 0);
  EXPECT_EQ(emote_run_frame(-1, "MainCommand0", 0, 0, block, 0, nullptr, &r), 0);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0], "MDA command error (MainCommand7)");
  EXPECT_EQ(boxes()[1], "MDA database error (5)");
  for (int x = 0; x < 128; ++x) EXPECT_EQ(at(block, x, 0), 0u);
}

}  // namespace
