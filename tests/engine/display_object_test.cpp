// The display object and its surfaces: opening, refreshing, releasing, and one smoke test for
// each operation nothing in the game calls.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/display/display.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/glyphs.h"
#include "tests/engine/draw_fixture.h"
#include "tests/support/text_fixture.h"

namespace draw_test {
namespace {

using DisplayObject = DrawTest;

// An 8-bit BMP's headers and colour table; colours[i] = (i, 2i, 3i) as blue, green, red.
std::string bmp_with_palette(uint32_t colour_count, uint16_t bit_count = 8, uint32_t header_size = 40) {
  std::string b(14 + 40 + 1024, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(14, header_size);
  b[14 + 14] = static_cast<char>(bit_count);
  put32(14 + 32, colour_count);
  for (int i = 0; i < 256; ++i) {
    b[54 + i * 4 + 0] = static_cast<char>(i);
    b[54 + i * 4 + 1] = static_cast<char>(2 * i);
    b[54 + i * 4 + 2] = static_cast<char>(3 * i);
  }
  return b;
}

TEST_F(DisplayObject, MaskShiftWidthAndGcd) {
  struct Mask {
    uint32_t mask, shift, width;
  };
  for (const Mask m : {Mask{0xF800, 11, 5}, Mask{0, 0, 0}, Mask{0x07E0, 5, 6}, Mask{0x1F, 0, 5},
                       Mask{0x80000000u, 31, 1}, Mask{0xFF00FF00u, 8, 8}}) {
    uint32_t shift = 99, width = 99;
    EXPECT_EQ(mask_shift_width(m.mask, &shift, &width), DD_OK);
    EXPECT_EQ(shift, m.shift) << std::hex << m.mask;
    EXPECT_EQ(width, m.width) << std::hex << m.mask;
  }
  uint32_t v = 0;
  EXPECT_EQ(mask_shift_width(1, nullptr, &v), DD_E_INVALIDARG);
  EXPECT_EQ(mask_shift_width(1, &v, nullptr), DD_E_INVALIDARG);

  struct Gcd {
    int32_t a, b, gcd;
  };
  for (const Gcd g : {Gcd{12, 18, 6}, Gcd{-12, 18, 6}, Gcd{12, -18, 6}, Gcd{-7, -21, 7}, Gcd{0, 5, 1},
                      Gcd{5, 0, 1}, Gcd{0, 0, 1}, Gcd{17, 5, 1}, Gcd{INT32_MIN, 6, 2}}) {
    EXPECT_EQ(math_gcd(g.a, g.b), g.gcd) << g.a << "," << g.b;
  }
}

TEST_F(DisplayObject, OpensWindowedOrFullScreenAndReleases) {
  plat::IWindowSystem& w = hp().windows();
  w.move(window, plat::Point{-50, -20});
  ASSERT_EQ(display_open_windowed(window, 800, 600), DD_OK);
  const DDRAW_DISPLAY& d = ddraw_display();
  EXPECT_TRUE(d.object && d.primary && d.back);
  EXPECT_EQ(d.windowed, 1);
  EXPECT_EQ(w.windowRect(window).left, 0);  // kept inside the usable area
  EXPECT_EQ(w.windowRect(window).top, 0);
  EXPECT_EQ(d.screen_rect.right, 800);
  EXPECT_EQ(display_attach_clipper(), DD_OK);
  w.move(window, plat::Point{30, 40});
  display_refresh_rect();
  EXPECT_EQ(d.screen_rect.left, 30);
  EXPECT_EQ(d.screen_rect.bottom, 640);

  ASSERT_EQ(display_open_fullscreen(window, 800, 600, 16), DD_OK);
  EXPECT_EQ(d.windowed, 0);
  EXPECT_TRUE(memory().fullscreen());
  EXPECT_EQ(d.screen_rect.right, 1024);
  EXPECT_EQ(d.screen_rect.bottom, 768);

  EXPECT_EQ(display_release(), DD_OK);
  EXPECT_FALSE(d.object || d.primary || d.back);
  EXPECT_FALSE(memory().isOpen());

  display().refuseFullscreen = true;
  EXPECT_EQ(display_open_fullscreen(window, 800, 600, 16), DD_E_FAIL);
  display_release();
}

TEST_F(DisplayObject, FlipFillAndPutsDrawOnTheBackSurface) {
  EXPECT_EQ(display_flip(), DD_E_POINTER);
  EXPECT_EQ(display_fill(1), DD_E_POINTER);
  EXPECT_EQ(display_put(0, 0, nullptr, nullptr, 0), DD_E_POINTER);
  ASSERT_EQ(display_open_windowed(window, 800, 600), DD_OK);
  ASSERT_EQ(display_fill(0x1234), DD_OK);
  ASSERT_EQ(display_flip(), DD_OK);
  EXPECT_EQ(memory().lastFrame()[599 * 800 + 799], 0x1234);

  DDRAW_SURFACE* s = nullptr;
  ASSERT_EQ(display_new_surface(&s, 4, 2), DD_OK);
  bitmap16_fill(surface_get(s), 0x0F0F);
  surface_get(s)->rows[0][1] = 0x001F;
  EXPECT_EQ(display_put(10, 10, s, nullptr, 0), DD_OK);
  ASSERT_EQ(surface_set_key(s, 0xFF0000), DD_OK);  // GDI blue
  EXPECT_EQ(surface_has_key(s), 1);
  EXPECT_EQ(s->key, 0x001F);
  bitmap16_fill(surface_get(s), 0x7777);
  surface_get(s)->rows[0][1] = 0x001F;
  const plat::Rect part{1, 0, 3, 1};
  EXPECT_EQ(display_put_keyed(10, 10, s, &part), DD_OK);
  EXPECT_EQ(display_put_surface(-1, -1, s, nullptr), DD_OK);
  EXPECT_EQ(display_put_surface(0, 0, nullptr, nullptr), DD_E_INVALIDARG);
  ASSERT_EQ(display_flip(), DD_OK);
  const auto& f = memory().lastFrame();
  EXPECT_EQ(f[10 * 800 + 10], 0x0F0F);  // the keyed put skipped its key pixel...
  EXPECT_EQ(f[10 * 800 + 11], 0x7777);  // ... and started at the rectangle's left
  EXPECT_EQ(f[11 * 800 + 11], 0x0F0F);
  EXPECT_EQ(f[0], 0x7777);
  display_delete_surface(s);
}

TEST_F(DisplayObject, PaletteLoadsClampedAndBitmapPaints) {
  DDRAW_PALETTE pal;
  EXPECT_EQ(display_load_palette(&pal, "pal.bmp"), DD_E_INVALIDARG);  // no display object
  ASSERT_EQ(display_open_windowed(window, 800, 600), DD_OK);
  EXPECT_EQ(display_load_palette(nullptr, "pal.bmp"), DD_E_INVALIDARG);
  EXPECT_EQ(display_load_palette(&pal, nullptr), DD_E_INVALIDARG);
  EXPECT_EQ(display_load_palette(&pal, "missing.bmp"), DD_E_FAIL);
  dir.write("short.bmp", bmp_with_palette(16).substr(0, 500));
  EXPECT_EQ(display_load_palette(&pal, "short.bmp"), DD_E_FAIL);

  struct Case {
    const char* name;
    uint32_t colours;
    uint16_t bits;
    uint32_t header;
    int32_t count;
  };
  for (const Case c : {Case{"p300.bmp", 300, 8, 40, 256}, Case{"p16.bmp", 16, 8, 40, 16},
                       Case{"p0.bmp", 0, 4, 40, 16}, Case{"p24.bmp", 0, 24, 40, 0},
                       Case{"core.bmp", 0, 8, 12, 0}}) {
    dir.write(c.name, bmp_with_palette(c.colours, c.bits, c.header));
    ASSERT_EQ(display_load_palette(&pal, c.name), DD_OK) << c.name;
    EXPECT_EQ(pal.count, c.count) << c.name;
  }
  dir.write("p16.bmp", bmp_with_palette(16));
  ASSERT_EQ(display_load_palette(&pal, "p16.bmp"), DD_OK);
  EXPECT_EQ(pal.entries[5], (15u << 16) | (10u << 8) | 5u);
  EXPECT_EQ(pal.entries[16], 0u);

  EXPECT_EQ(display_use_palette(&pal), DD_OK);
  EXPECT_EQ(ddraw_display().palette, &pal);
  BITMAP16* bm = bitmap16_create(2, 2);
  bitmap16_fill(bm, 0x4321);
  bm->rows[1][1] = 0x1111;
  ASSERT_EQ(display_paint_bitmap(bm, &pal), DD_OK);
  EXPECT_EQ(memory().lastFrame()[0], 0x4321);
  EXPECT_EQ(memory().lastFrame()[599 * 800 + 799], 0x1111);
  bitmap16_free(&bm);
}

TEST_F(DisplayObject, SurfacesMadeWrappedStretchedAndFreed) {
  DDRAW_SURFACE* s = nullptr;
  EXPECT_EQ(display_new_surface(&s, 4, 4), DD_E_POINTER);
  ASSERT_EQ(display_open_windowed(window, 800, 600), DD_OK);
  EXPECT_EQ(display_new_surface(nullptr, 4, 4), DD_E_INVALIDARG);
  EXPECT_EQ(display_new_surface(&s, -1, 4), DD_E_FAIL);
  ASSERT_EQ(display_new_surface(&s, 4, 4), DD_OK);

  DDRAW_SURFACE wrapped;
  ASSERT_EQ(surface_wrap(&wrapped, s), DD_OK);
  EXPECT_EQ(surface_get(&wrapped), surface_get(s));
  EXPECT_EQ(surface_wrap(&wrapped, nullptr), DD_E_INVALIDARG);

  BITMAP16* src = bitmap16_create(4, 4);
  for (uint16_t y = 0; y < 4; ++y)
    for (uint16_t x = 0; x < 4; ++x) src->rows[y][x] = static_cast<uint16_t>(y * 4 + x);
  // The 2 x 2 block at (2, 2) stretched over the whole 4 x 4 surface.
  ASSERT_EQ(surface_stretch_bitmap(s, src, 2, 2, 2, 2), DD_OK);
  EXPECT_EQ(surface_get(s)->rows[0][0], 10);
  EXPECT_EQ(surface_get(s)->rows[3][3], 15);
  EXPECT_EQ(surface_stretch_bitmap(s, src, 3, 3, 2, 2), DD_E_INVALIDARG);
  ASSERT_EQ(surface_stretch_bitmap(s, src, 0, 0, 0, 0), DD_OK);  // 0: the bitmap's own size
  EXPECT_EQ(surface_get(s)->rows[1][2], 6);
  bitmap16_free(&src);

  EXPECT_EQ(surface_gdi_to_pixel(s, CLR_INVALID), 0u);  // the pixel at (0, 0)
  EXPECT_EQ(surface_gdi_to_pixel(s, 0x0000FF), pixel_ops.pack(255, 0, 0));
  EXPECT_EQ(surface_reload(s, "x.bmp", 4, 4), DD_E_FAIL);
  EXPECT_EQ(surface_reload(s, nullptr, 4, 4), DD_E_INVALIDARG);
  ASSERT_EQ(surface_write_text(s, nullptr, "a", 1, 1, 0x00FF00, 0), DD_OK);
  EXPECT_EQ(surface_get(s)->rows[1][1], pixel_ops.pack(0, 255, 0));
  EXPECT_EQ(surface_write_text(s, nullptr, nullptr, 0, 0, 0, 0), DD_E_INVALIDARG);

  EXPECT_EQ(surface_free(s), DD_OK);
  EXPECT_EQ(surface_get(s), nullptr);
  EXPECT_NE(surface_get(&wrapped), nullptr);  // the wrap holds its own reference
  EXPECT_EQ(surface_set_key(s, 0), DD_E_POINTER);
  display_delete_surface(s);

  DDRAW_SURFACE* text = nullptr;
  EXPECT_EQ(display_new_text_surface(&text, nullptr, nullptr, 0, 0), DD_E_INVALIDARG);
  {
    // The text is drawn: cells in the background colour, glyphs (solid blocks here) in the text colour.
    veldra_test::ScopedGlyphs glyphs(std::make_unique<plat::FakeRasteriser>());
    ASSERT_EQ(display_new_text_surface(&text, nullptr, " a\xd6\xd0", 0xFFFFFF, 0x0000FF), DD_OK);
    const BITMAP16* t = surface_get(text);
    EXPECT_EQ(t->width, 24u);
    EXPECT_EQ(t->height, 12u);
    EXPECT_EQ(t->rows[11][5], pixel_ops.pack(255, 255, 255));
    EXPECT_EQ(t->rows[0][6], pixel_ops.pack(255, 0, 0));
    EXPECT_EQ(t->rows[11][23], pixel_ops.pack(255, 0, 0));
    display_delete_surface(text);
    // Written into a surface, clipped at its edges.
    DDRAW_SURFACE* small = nullptr;
    ASSERT_EQ(display_new_surface(&small, 8, 8), DD_OK);
    ASSERT_EQ(surface_write_text(small, nullptr, "a ", -3, 4, 0x00FF00, 0xFF0000), DD_OK);
    const BITMAP16* b = surface_get(small);
    EXPECT_EQ(b->rows[3][0], 0);
    EXPECT_EQ(b->rows[4][0], pixel_ops.pack(0, 0, 255));
    EXPECT_EQ(b->rows[7][2], pixel_ops.pack(0, 0, 255));
    EXPECT_EQ(b->rows[7][3], pixel_ops.pack(0, 255, 0));
    EXPECT_EQ(b->rows[4][7], pixel_ops.pack(0, 255, 0));
    display_delete_surface(small);
  }

  DDRAW_SURFACE* picture = nullptr;
  EXPECT_EQ(display_new_bitmap_surface(&picture, "x.bmp", 4, 4), DD_E_FAIL);
  EXPECT_EQ(picture, nullptr);
  EXPECT_EQ(display_new_bitmap_surface(&picture, nullptr, 4, 4), DD_E_INVALIDARG);
}

}  // namespace
}  // namespace draw_test
