// Text drawing through WINFONT on the real face: a warm chat pane, a frame with more distinct
// glyphs than the module caches (with and without the rasteriser's own cache), and one frame of
// a modal message box.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "client/ui/message_box.h"
#include "client/ui/message_box_frame.h"
#include "engine/draw/draw.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/glyphs.h"

namespace {

void useRasteriser(size_t cacheEntries) {
  plat::FreeTypeOptions o;
  o.cacheEntries = cacheEntries;
  plat::setGlyphs(plat::makeFreeTypeRasteriser(o));
  winfont_reset();
  font_set_face_kind(4);
  winfont_module_init();
}

BITMAP16* frameBitmap() {
  static BITMAP16* bm = bitmap16_create(800, 600);
  return bm;
}

// 60 glyphs a line: ASCII and code page 936 characters, fewer than 99 distinct in all.
std::vector<std::string> chatLines() {
  static const char* chinese[] = {"\xD6\xD0", "\xCE\xC4", "\xD7\xD6", "\xCC\xE5", "\xB2\xE2", "\xCA\xD4",
                                  "\xC4\xE3", "\xBA\xC3", "\xCA\xC0", "\xBD\xE7"};
  std::vector<std::string> lines;
  for (int l = 0; l < 30; ++l) {
    std::string s;
    for (int g = 0; g < 60; ++g) {
      if ((g + l) % 3 == 0) {
        s += chinese[(g + l) % 10];
      } else {
        s += static_cast<char>('A' + (g * 7 + l) % 40);
      }
    }
    lines.push_back(s);
  }
  return lines;
}

void BM_ChatPaneWarm(benchmark::State& state) {
  useRasteriser(8192);
  BITMAP16* bm = frameBitmap();
  const std::vector<std::string> lines = chatLines();
  for (const std::string& l : lines) font_draw_text(0, 0, l.c_str(), 1, bm);  // warm the cache
  for (auto _ : state) {
    int y = 4;
    for (const std::string& l : lines) {
      font_draw_text(4, y, l.c_str(), 1, bm);
      y += 16;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1800);
}
BENCHMARK(BM_ChatPaneWarm)->Unit(benchmark::kMillisecond);

// 200 distinct characters a frame: WINFONT's 99 nodes miss on every one.
std::string thrashText() {
  std::string s;
  for (int i = 0; i < 200; ++i) {
    s += static_cast<char>(0xB0 + i / 94);
    s += static_cast<char>(0xA1 + i % 94);
  }
  return s;
}

void thrash(benchmark::State& state, size_t cacheEntries) {
  useRasteriser(cacheEntries);
  BITMAP16* bm = frameBitmap();
  const std::string text = thrashText();
  font_draw_text(0, 0, text.c_str(), 1, bm);
  for (auto _ : state) {
    // Eight lines of 25 glyphs.
    for (int line = 0; line < 8; ++line) {
      const std::string part = text.substr(static_cast<size_t>(line) * 50, 50);
      font_draw_text(4, 4 + line * 16, part.c_str(), 1, bm);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 200);
}

void BM_ThrashingFrame(benchmark::State& state) { thrash(state, 8192); }
BENCHMARK(BM_ThrashingFrame)->Unit(benchmark::kMillisecond);

void BM_ThrashingFrameNoRasteriserCache(benchmark::State& state) { thrash(state, 0); }
BENCHMARK(BM_ThrashingFrameNoRasteriserCache)->Unit(benchmark::kMillisecond);

void BM_ModalBoxFrame(benchmark::State& state) {
  draw_install_pixel_ops(0xF800, 0x07E0, 0x001F);
  useRasteriser(8192);
  if (!screen_back) screen_buffers_create();
  bitmap16_fill(screen_back, 0x4208);
  message_box_save_screen();
  const std::string text(60, 'x');
  const int32_t width = message_box_width(text.c_str());
  for (auto _ : state) {
    message_box_restore_screen();
    message_box_draw(400 - width / 2, MESSAGE_BOX_Y, width, text.c_str(), screen_back);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ModalBoxFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_ThrashingFrame", "BM_ThrashingFrameNoRasteriserCache",
                            "rasteriser cache speed-up on a thrashing frame, target >= 5", true}});
}
