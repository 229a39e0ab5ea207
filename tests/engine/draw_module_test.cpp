// The DRAW module over the headless display: init and free, formats, presents, display modes,
// the staging choice and the memory surface.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/draw/draw.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cpu/cpu.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/rle/rle.h"
#include "plat/winmsg.h"
#include "tests/engine/draw_fixture.h"

namespace draw_test {
namespace {

using DrawModule = DrawTest;

constexpr int32_t kEPointer = static_cast<int32_t>(0x80004003u);

void fill_random(BITMAP16* bm, uint32_t seed) {
  std::mt19937 rng(seed);
  for (uint32_t y = 0; y < bm->height; ++y)
    for (uint32_t x = 0; x < bm->width; ++x) bm->rows[y][x] = static_cast<uint16_t>(rng());
}

bool frame_equals(const std::vector<uint16_t>& frame, const BITMAP16* bm, int first = 0, int rows = 600) {
  for (int y = first; y < first + rows; ++y)
    if (std::memcmp(frame.data() + static_cast<size_t>(y) * 800, bm->rows[y], 1600) != 0) return false;
  return true;
}

TEST_F(DrawModule, InitWritesItsBlockAndFreeItsLine) {
  ASSERT_EQ(draw_module_init(), 0);
  EXPECT_NE(errorTxt().find("DRAW module initialize starting...\r\n"
                            "    Update Screen : DirectDraw\r\n"
                            " VGA Pixel R mask : 0x0000f800\r\n"
                            " VGA Pixel G mask : 0x000007e0\r\n"
                            " VGA Pixel B mask : 0x0000001f\r\n"
                            " VGA Pixel Format : 565\r\n"
                            "DRAW module initialized OKay.\r\n"
                            "\r\n"),
            std::string::npos)
      << errorTxt();
  EXPECT_EQ(draw_present_slot, &draw_present);
  EXPECT_EQ(draw_grab_slot, &draw_grab_screen);
  EXPECT_EQ(gfx16_colours[GFX16_RED], 0xF800);
  EXPECT_EQ(gfx16_colours[GFX16_GREY_80], pixel_ops.pack_rgb(0x808080));
  ASSERT_NE(draw_memory_surface(), nullptr);

  draw_module_free();
  EXPECT_NE(errorTxt().find("DRAW module free OKay.\r\n"), std::string::npos);
  EXPECT_EQ(screen_back, nullptr);
  EXPECT_EQ(screen_saved, nullptr);
  EXPECT_EQ(draw_present_slot, nullptr);
  EXPECT_FALSE(memory().isOpen());
}

TEST_F(DrawModule, MasksNameTheFormatAndPickTheFamily) {
  struct Case {
    uint32_t r, g, b;
    int id;
    const char* name;
    const char* lines;
  };
  const Case cases[] = {
      {0x7C00, 0x03E0, 0x001F, 1, "555",
       " VGA Pixel R mask : 0x00007c00\r\n VGA Pixel G mask : 0x000003e0\r\n VGA Pixel B mask : 0x0000001f\r\n"
       " VGA Pixel Format : 555\r\n"},
      {0xF800, 0x07E0, 0x001F, 3, "565", " VGA Pixel Format : 565\r\n"},
      {0xFF0000, 0x00FF00, 0x0000FF, 3, "888",
       " VGA Pixel R mask : 0x00ff0000\r\n VGA Pixel G mask : 0x0000ff00\r\n VGA Pixel B mask : 0x000000ff\r\n"
       " VGA Pixel Format : 565\r\n"},
      {0xFC00, 0x03E0, 0x001F, 2, "655", " VGA Pixel Format : 655\r\n"},
      {0xF800, 0x07C0, 0x003F, 4, "556", " VGA Pixel Format : 556\r\n"},
      {0x0F00, 0x00F0, 0x000F, 5, "444", " VGA Pixel Format : Any Other\r\n"},
  };
  for (const Case& c : cases) {
    draw_install_pixel_ops(c.r, c.g, c.b);
    EXPECT_EQ(draw_pixel_format_id(), c.id) << c.name;
    EXPECT_STREQ(draw_pixel_format_name(), c.name);
    EXPECT_NE(errorTxt().find(c.lines), std::string::npos) << c.name;
    EXPECT_EQ(pixel_ops.pack_rgb, pixel_ops_family(c.id).pack_rgb) << c.name;
    EXPECT_EQ(draw_upload_first_row(), 0);
    EXPECT_EQ(draw_upload_row_count(), 600);
  }
  EXPECT_EQ(pixel_ops.get_red(0x0F00), 240);  // the mask family reads the 4-4-4 channels
}

TEST_F(DrawModule, UploadRowsAreClampedToTheScreen) {
  struct Case {
    int32_t first, count, want_first, want_count;
  };
  for (const Case c : {Case{0, 600, 0, 600}, Case{550, 100, 550, 50}, Case{-5, 100, 0, 100},
                       Case{600, 10, 0, 10}, Case{10, -1, 10, 590}, Case{0, 599, 0, 599}}) {
    draw_set_upload_rows(c.first, c.count);
    EXPECT_EQ(draw_upload_first_row(), c.want_first) << c.first << "," << c.count;
    EXPECT_EQ(draw_upload_row_count(), c.want_count) << c.first << "," << c.count;
  }
}

TEST_F(DrawModule, WholeBufferSlotsFollowTheMmxFlagAndTheFormat) {
  struct Masks {
    uint32_t r, g, b;
  };
  const Masks masks[] = {{0x7C00, 0x03E0, 0x001F}, {0xFC00, 0x03E0, 0x001F}, {0xF800, 0x07E0, 0x001F},
                         {0xF800, 0x07C0, 0x003F}, {0x0F00, 0x00F0, 0x000F}};
  for (uint32_t flag : {0u, 1u}) {
    for (int i = 0; i < 5; ++i) {
      cpu_mmx_flag = flag;
      draw_install_pixel_ops(masks[i].r, masks[i].g, masks[i].b);
      const bool mmx = flag && i < 4;
      const std::string what = "flag " + std::to_string(flag) + " id " + std::to_string(i + 1);
      EXPECT_EQ(blit_ops.copy, mmx ? mmx_blit_copy : gfx16_blit) << what;
      EXPECT_EQ(blit_ops.fill_blend, mmx ? mmx_fill_blend : gfx16_fill_rect_blend) << what;
      EXPECT_EQ(blit_ops.blend, mmx ? mmx_blit_blend : gfx16_blit_blend) << what;
      EXPECT_EQ(blit_ops.mix, mmx ? mmx_blit_mix : gfx16_blit_half) << what;
      EXPECT_EQ(blit_ops.grey, mmx ? mmx_blit_grey : gfx16_blit_grey) << what;
      EXPECT_EQ(blit_ops.add, mmx ? mmx_blit_add : gfx16_blit_add) << what;
      EXPECT_EQ(blit_ops.brighten, mmx ? mmx_brighten : gfx16_brighten) << what;
      EXPECT_EQ(blit_ops.darken, mmx ? mmx_darken : gfx16_darken) << what;
      EXPECT_EQ(blit_ops.copy_rect, gfx16_blit_rect) << what;
      EXPECT_EQ(blit_ops.rle_draw, rle_draw) << what;
      EXPECT_EQ(blit_ops.stretch, bitmap16_stretch) << what;
    }
  }
  EXPECT_EQ(mmx_masks.half, 0xF7BE);  // id 5 left the 556 masks in place
}

TEST_F(DrawModule, PresentShowsScreenBackByteForByte) {
  EXPECT_EQ(draw_present(nullptr), kEPointer);
  ASSERT_EQ(draw_module_init(), 0);
  fill_random(screen_back, 5);
  const uint64_t before = memory().presentCount();
  ASSERT_EQ(draw_present(screen_back), 0);
  EXPECT_GT(memory().presentCount(), before);
  EXPECT_TRUE(frame_equals(memory().lastFrame(), screen_back));

  // Only the upload band reaches the screen.
  fill_random(screen_back, 6);
  draw_set_upload_rows(550, 100);
  ASSERT_EQ(draw_present(screen_back), 0);
  EXPECT_TRUE(frame_equals(memory().lastFrame(), screen_back, 550, 50));
  EXPECT_FALSE(frame_equals(memory().lastFrame(), screen_back, 0, 550));
}

TEST_F(DrawModule, NoDisplayGivesEPointer) {
  BITMAP16* bm = bitmap16_create(800, 600);
  EXPECT_EQ(draw_present(bm), kEPointer);
  EXPECT_EQ(draw_present_keyed(bm), kEPointer);
  EXPECT_EQ(memory().presentCount(), 0u);
  bitmap16_free(&bm);
}

TEST_F(DrawModule, FullScreenWithoutFocusMinimisesAndPresentsNothing) {
  sys_set_display_mode(0);
  ASSERT_EQ(draw_module_init(), 0);
  ASSERT_TRUE(memory().fullscreen());
  ASSERT_EQ(draw_present(screen_back), 0);  // the first present also times the staging kinds
  const uint64_t before = memory().presentCount();
  hp().setFocus(window, false);
  EXPECT_EQ(draw_present(screen_back), 0);
  EXPECT_EQ(draw_present(screen_back), 0);
  EXPECT_TRUE(hp().windows().isMinimised(window));
  EXPECT_EQ(memory().presentCount(), before);

  // Windowed, a window in the background still shows its frames.
  draw_apply_display_mode();
  hp().setFocus(window, false);
  hp().setMinimised(window, false);
  EXPECT_EQ(draw_present(screen_back), 0);
  EXPECT_GT(memory().presentCount(), before);
}

TEST_F(DrawModule, AltEnterSwitchesModeAndPlacesTheWindow) {
  ASSERT_EQ(draw_module_init(), 0);
  plat::IWindowSystem& w = hp().windows();
  EXPECT_FALSE(memory().fullscreen());
  EXPECT_EQ(w.windowRect(window).left, (1024 - 800) / 2);
  EXPECT_EQ(w.windowRect(window).top, (768 - 600) / 2);

  draw_apply_display_mode();
  EXPECT_EQ(sys_get_display_mode(), 0);
  EXPECT_TRUE(memory().fullscreen());
  EXPECT_EQ(w.windowRect(window).left, 0);
  EXPECT_EQ(w.windowRect(window).top, 0);
  draw_update_dest_rect();
  ASSERT_EQ(draw_present(screen_back), 0);

  draw_apply_display_mode();
  EXPECT_EQ(sys_get_display_mode(), 1);
  EXPECT_FALSE(memory().fullscreen());
  EXPECT_EQ(w.windowRect(window).left, 112);
  EXPECT_EQ(w.windowRect(window).top, 84);

  // A stored position of (0, 0) turns centring off.
  sys_set_window_pos(0, 0);
  draw_apply_display_mode();
  draw_apply_display_mode();
  EXPECT_EQ(w.windowRect(window).left, 0);
  EXPECT_EQ(w.windowRect(window).top, 0);
  EXPECT_EQ(draw_present(screen_back), 0);
}

TEST_F(DrawModule, FullScreenThatFailsFallsBackToAWindow) {
  display().refuseFullscreen = true;
  sys_set_display_mode(0);
  ASSERT_EQ(draw_module_init(), 0);
  ASSERT_EQ(hp().boxes().size(), 1u);
  EXPECT_EQ(hp().boxes()[0].text, "This display card does not support 640x480x16. ");
  EXPECT_EQ(hp().boxes()[0].caption, "DirectDraw Sample");
  EXPECT_NE(errorTxt().find("Full screen failed, window used\r\n"), std::string::npos);
  EXPECT_EQ(sys_get_display_mode(), 1);
  EXPECT_TRUE(memory().isOpen());
  EXPECT_FALSE(memory().fullscreen());
  fill_random(screen_back, 9);
  EXPECT_EQ(draw_present(screen_back), 0);
  EXPECT_TRUE(frame_equals(memory().lastFrame(), screen_back));
}

TEST_F(DrawModule, ScreenBitmapFailureIsFatal) {
  bitmap_alloc_fail_at(2);
  EXPECT_EQ(fatalText([] { draw_module_init(); }), "init_grafx() failed");
  bitmap_alloc_fail_at(0);
}

// Kinds the fake display offers cost this many milliseconds per upload.
int upload_cost[4];
bool make_any_kind(int) { return true; }
void spend(int kind) { plat::get().clock().sleepMs(static_cast<uint32_t>(upload_cost[kind])); }

TEST_F(DrawModule, FirstPresentPicksTheFastestStagingKind) {
  struct Case {
    int cost[4];
    bool nonlocal;
    uint32_t caps2;
    int kind;
  };
  const Case cases[] = {
      {{5, 3, 3, 4}, true, 0, 1},      // non-local memory wins
      {{5, 3, 3, 4}, true, 0x400, 2},  // ... and is kind 2 when the display says so
      {{5, 3, 3, 4}, false, 0, 3},     // without non-local blits only 0 and 3 are tried
      {{2, 2, 2, 2}, true, 0, 0},      // ties keep the earlier kind
  };
  for (const Case& c : cases) {
    draw_reset();
    std::copy(c.cost, c.cost + 4, upload_cost);
    draw_staging_provider().create = make_any_kind;
    draw_staging_provider().uploaded = spend;
    draw_staging_provider().nonlocal_blt = c.nonlocal;
    draw_staging_provider().caps2 = c.caps2;
    ASSERT_EQ(draw_module_init(), 0);
    ASSERT_EQ(draw_present(screen_back), 0);
    EXPECT_EQ(draw_staging_kind(), c.kind) << c.cost[0] << c.cost[1] << c.cost[2] << c.cost[3];
    draw_module_free();
  }
  // Our platform offers system memory only.
  draw_reset();
  ASSERT_EQ(draw_module_init(), 0);
  ASSERT_EQ(draw_present(screen_back), 0);
  EXPECT_EQ(draw_staging_kind(), 0);
}

TEST_F(DrawModule, A32BitScreenGetsWidenedPixels) {
  display().masksOverride = plat::PixelMasks{0xFF0000, 0x00FF00, 0x0000FF};
  for (int kind : {0, 3}) {
    draw_reset();
    upload_cost[0] = kind == 0 ? 1 : 5;
    upload_cost[3] = kind == 3 ? 1 : 5;
    draw_staging_provider().create = make_any_kind;
    draw_staging_provider().uploaded = spend;
    ASSERT_EQ(draw_module_init(), 0);
    EXPECT_EQ(draw_pixel_format_id(), 3);
    fill_random(screen_back, 11);
    ASSERT_EQ(draw_present(screen_back), 0);
    ASSERT_EQ(draw_staging_kind(), kind);
    const uint32_t* staging = draw_staging_pixels32();
    ASSERT_NE(staging, nullptr);
    for (int y : {0, 299, 599}) {
      for (int x : {0, 1, 2, 3, 401, 799}) {
        const uint32_t p = screen_back->rows[y][x];
        EXPECT_EQ(staging[y * 800 + x], ((p & 0xF800) << 8) | ((p & 0x07E0) << 5) | ((p & 0x1F) << 3))
            << "kind " << kind << " at " << x << "," << y;
      }
    }
    draw_module_free();
  }
}

TEST_F(DrawModule, MemorySurfaceCopiesTheSameRectangleBothWays) {
  ASSERT_EQ(draw_module_init(), 0);
  BITMAP16* memory_surface = draw_memory_surface();
  fill_random(screen_back, 3);
  draw_copy_memory_surface(screen_back, 10, 20, 650, 500, 0);
  EXPECT_EQ(memory_surface->rows[20][10], screen_back->rows[20][10]);
  EXPECT_EQ(memory_surface->rows[499][649], screen_back->rows[499][649]);
  EXPECT_EQ(memory_surface->rows[19][10], 0);
  EXPECT_EQ(memory_surface->rows[20][650], 0);

  bitmap16_clear(screen_back);
  draw_copy_memory_surface(screen_back, 100, 100, 900, 700, 1);  // clipped to both
  EXPECT_EQ(screen_back->rows[100][100], memory_surface->rows[100][100]);
  EXPECT_EQ(screen_back->width, 800u);
  EXPECT_EQ(screen_back->height, 600u);
  EXPECT_EQ(screen_back->rows[99][100], 0);

  draw_module_free();
  BITMAP16* bm = bitmap16_create(8, 8);
  EXPECT_EQ(fatalText([bm] { draw_copy_memory_surface(bm, 0, 0, 4, 4, 0); }), "MemorySurface lock failed");
  bitmap16_free(&bm);
}

TEST_F(DrawModule, KeyedPresentAndGrab) {
  ASSERT_EQ(draw_module_init(), 0);
  BITMAP16* grab = bitmap16_create(800, 600);
  EXPECT_LT(draw_grab_screen(grab), 0);  // nothing presented yet

  bitmap16_fill(screen_back, 0x1111);
  draw_set_present_mode(1);
  ASSERT_EQ(draw_present_slot, &draw_present_keyed);
  ASSERT_EQ(draw_present_slot(screen_back), 0);
  bitmap16_clear(screen_back);
  screen_back->rows[5][5] = 0x2222;
  ASSERT_EQ(draw_present_slot(screen_back), 0);
  EXPECT_EQ(memory().lastFrame()[5 * 800 + 5], 0x2222);
  EXPECT_EQ(memory().lastFrame()[5 * 800 + 6], 0x1111);  // 0 is transparent

  draw_set_present_mode(0);
  fill_random(screen_back, 4);
  ASSERT_EQ(draw_present_slot(screen_back), 0);
  ASSERT_EQ(draw_grab_slot(grab), 0);
  for (int y : {0, 300, 599}) EXPECT_EQ(std::memcmp(grab->rows[y], screen_back->rows[y], 1600), 0);
  bitmap16_free(&grab);
}

// VELDRA_TEST_PATTERN through each pixel family, as the golden frames of the memory display.
TEST_F(DrawModule, TestPatternShowsTheSameBarsInEveryFamily) {
  struct Case {
    const char* format;
    int id;
    uint64_t hash;
  };
  const Case cases[] = {{"565", 3, 0x66be871fd14cb9a5ull},
                        {"555", 1, 0x6dcd3ff49e807e25ull},
                        {"655", 2, 0xf8004f439c1bde25ull},
                        {"556", 4, 0x3d0ca79e7ad1aea5ull},
                        {"444", 5, 0xe4cda253d701c8a5ull}};
  for (const Case& c : cases) {
    setenv("VELDRA_PIXEL_FORMAT", c.format, 1);
    setenv("VELDRA_TEST_PATTERN", "1", 1);
    plat::reloadEnvironment();
    draw_reset();
    ASSERT_EQ(draw_module_init(), 0);
    EXPECT_EQ(draw_pixel_format_id(), c.id);
    bitmap16_clear(screen_back);  // whatever was drawn, the present shows the pattern
    ASSERT_EQ(draw_present(screen_back), 0);
    const std::vector<uint16_t>& f = memory().lastFrame();
    // Bars above the band, each the packed colour; in the band, each blended halfway to grey.
    static constexpr uint32_t kBars[8] = {0x000000, 0x0000FF, 0x00FF00, 0x00FFFF,
                                          0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    const uint16_t grey = pixel_ops.pack_rgb(0x808080);
    for (int i = 0; i < 8; ++i) {
      const uint16_t bar = pixel_ops.pack_rgb(kBars[i]);
      EXPECT_EQ(f[10 * 800 + i * 100 + 50], bar) << c.format << " bar " << i;
      uint16_t banded = bar;
      pixel_ops.blend(&grey, &banded, 128);
      EXPECT_EQ(f[300 * 800 + i * 100 + 50], banded) << c.format << " band " << i;
    }
    EXPECT_EQ(memory().lastHash(), c.hash) << c.format;
    draw_module_free();
  }
}

}  // namespace
}  // namespace draw_test
