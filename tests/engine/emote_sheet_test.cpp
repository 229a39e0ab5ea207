// Sample sheets of every code, drawn through the software path and the window path. Under the
// fake rasteriser each is compared with its golden hash; with VELDRA_TEST_DUMP=<folder> the sheets
// are drawn again with the real font and written there as PPM files for a person to look at.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "engine/winfont/winfont.h"
#include "plat/cp936.h"
#include "tests/engine/emote_fixture.h"
#include "tests/support/ppm_dump.h"

namespace {

using emote_test::OwnedBitmap;

struct SheetText {
  int32_t x, y, w, h;
  const char* utf8;
};

// Each text in its own band; the top half of a sheet is frame 1, the bottom half frame 12 (the
// flashing text hidden, the pictures further on).
const SheetText kTexts[] = {
    {8, 4, 780, 40, "#YLiu#N reached level #R12#N #1 and #2"},
    {8, 44, 780, 24, "#RRed #GGreen #BBlue #YYellow #PMagenta #WWhite #KBlack#N / #rlower #gcase"},
    {8, 68, 780, 24, "#C00FFFFCyan by the C code, #CFF8000orange, #C12G456 a broken one#N, ## a hash"},
    {8, 92, 780, 24, "#SFlashing text#N and steady text, #\xe9\x96\x83\xe9\x96\x83 flashing too"},
    {8, 108, 780, 34, "#UUnderlined#U and not, #U#Rred underline#N #U#1#U"},
    {8, 140, 380, 60, "First line#ESecond line after #E#E#E only one break"},
    {400, 140, 380, 60, "#MA centred title#Mand text under it"},
    {8, 200, 260, 100, "Pictures #0 #1 on line one#Eand #2 on line two"},
    {280, 200, 260, 100, "A long word: supercalifragilisticexpialidocious moves down"},
    {560, 200, 230, 100, "\xe4\xb8\xad\xe6\x96\x87 #\xe7\xb4\x85\xe7\xb4\x85\xe8\x89\xb2#N #\xe7\xb6\xa0\xe7\xb6\xa0\xe8\x89\xb2 #\xe8\x97\x8d\xe8\x97\x8d\xe8\x89\xb2"},
};

uint64_t fnv1a(const uint8_t* p, size_t n, uint64_t h = 1469598103934665603ull) {
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

class EmoteSheet : public emote_test::EmoteFixture {
 protected:
  static constexpr uint32_t kBackground = 0x203048;
  static constexpr int32_t kHalf = 300;

  // Twelve frames of every text; the sheet holds frames 1 and 12.
  template <class Frame>
  void run_frames(Frame frame) {
    for (int f = 1; f <= 12; ++f) {
      pass(100);
      frame(f);
    }
  }
  std::string cp(const char* utf8) { return plat::cp936::fromUtf8(utf8); }

  void software_sheet(BITMAP16* sheet) {
    init();
    OwnedBitmap screen(800, 600);
    const uint16_t bg = pixel_ops.pack_rgb(kBackground);
    run_frames([&](int f) {
      bitmap16_fill(screen.get(), bg);
      for (const SheetText& t : kTexts) emote.emote_text_draw_line(t.x, t.y, t.w, t.h, cp(t.utf8).c_str());
      emote_outline = 1;
      emote.emote_text_draw_line(500, 4, 290, 40, "#YOutlined ticker text");
      emote.emote_text_flush(0, 0, 0.07f, screen.get(), 0);
      emote_outline = 0;
      if (f != 1 && f != 12) return;
      for (int32_t y = 0; y < kHalf; ++y) {
        std::copy(screen->rows[y], screen->rows[y] + 800, sheet->rows[y + (f == 12 ? kHalf : 0)]);
      }
    });
    emote.emote_text_release();
  }

  void gdi_sheet(plat::Canvas24& sheet) {
    init();
    plat::Canvas24 window(800, 600);
    run_frames([&](int f) {
      window.fill({0, 0, 800, 600}, kBackground);
      emote.emote_text_tick(&window, nullptr);  // the canvas measures the texts queued after it
      for (const SheetText& t : kTexts) emote.emote_text_draw(t.x, t.y, t.w, t.h, cp(t.utf8).c_str(), 0);
      emote.emote_text_tick(&window, nullptr);
      if (f != 1 && f != 12) return;
      sheet.blit(0, f == 12 ? kHalf : 0, 800, kHalf, window, 0, 0, plat::BlitOp::Copy);
    });
    emote.emote_text_release();
  }

  // Glyphs from the real font for the dumped sheets; false when it is not there.
  bool use_real_font() {
    if (!std::getenv("VELDRA_TEST_DUMP")) return false;
    auto ft = plat::makeFreeTypeRasteriser();
    std::string tried;
    if (!ft->open(&tried)) return false;
    plat::setGlyphs(std::move(ft));
    winfont_module_init();
    return true;
  }
};

TEST_F(EmoteSheet, Software) {
  OwnedBitmap sheet(800, 600);
  software_sheet(sheet.get());
  uint64_t h = 1469598103934665603ull;
  for (uint32_t y = 0; y < 600; ++y) h = fnv1a(reinterpret_cast<const uint8_t*>(sheet->rows[y]), 1600, h);
  EXPECT_EQ(h, 0xb8e9e25774ccecf7ull) << std::hex << h;
  if (use_real_font()) {
    software_sheet(sheet.get());
    veldra_test::dumpPpm("emote_sheet_software.ppm", 800, 600, [&](int32_t x, int32_t y) {
      return pixel_ops.unpack_rgb(sheet->rows[y][x]);
    });
  }
}

TEST_F(EmoteSheet, Gdi) {
  plat::Canvas24 sheet(800, 600);
  gdi_sheet(sheet);
  uint64_t h = 1469598103934665603ull;
  for (int32_t y = 0; y < 600; ++y) h = fnv1a(sheet.row(y), 2400, h);
  EXPECT_EQ(h, 0x7a9d05f68dfd609bull) << std::hex << h;
  if (use_real_font()) {
    gdi_sheet(sheet);
    veldra_test::dumpPpm("emote_sheet_gdi.ppm", 800, 600, [&](int32_t x, int32_t y) { return sheet.pixel(x, y); });
  }
}

}  // namespace
