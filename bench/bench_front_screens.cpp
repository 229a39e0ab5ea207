// The front screens' text work: one broadcast ticker frame with a 300-byte mixed text (the strip
// bitmap kept between frames, against making and freeing it each frame) and the announcements'
// layout of a 200-line page (against the screen memcpy).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/bench_ratio.h"
#include "bench/emote_renderer.h"
#include "client/front/announcements.h"
#include "client/front/broadcast_ticker.h"
#include "client/state/broadcast_list.h"
#include "engine/emote/emote_manager.h"

namespace {

// A 300-byte broadcast: words, Chinese and colour codes. No pictures: a picture taller than the
// 20-pixel strip puts its line below the strip's foot, and the renderer draws no such line.
std::string broadcast_text() {
  static const char* pieces[] = {"#YLiu#N ", "reached ", "level ", "#R12#N ", "\xD6\xD0\xCE\xC4", "the ",
                                 "#C00FFFFcastle#N ", "gates ", "\xCA\xC0\xBD\xE7 ", "open ", "tonight "};
  std::string s;
  for (size_t i = 0; s.size() < 300; ++i) s += pieces[i % std::size(pieces)];
  s.resize(plat::cp936::fitLength(s, 300));
  return s;
}

void ticker_setup() {
  emote_text = &bench_emote::renderer();
  emote_text_manager()->gdi = 0;
  if (broadcast_list.count == 0) {
    BROADCAST_ENTRY e{};
    e.id = 1;
    e.start_time = 1;  // long started
    const std::string text = broadcast_text();
    std::memcpy(e.text, text.data(), text.size());
    broadcast_list.append(e);
  }
  broadcast_ticker_run();  // the first pass takes the text
}

// Pixels of the strip the text covers (the back bitmap starts black).
double inked() {
  const plat::Rect& r = ticker_strip.strip;
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += screen_back->rows[y][x] != 0;
  return n;
}

// The text across the strip from its left edge, so that every frame draws a full strip.
void ticker_frame(bool keep) {
  broadcast_ticker.offset = 0;
  if (!keep) broadcast_ticker_free_strip();
  broadcast_ticker_run();
}

void BM_TickerFrame(benchmark::State& state) {
  ticker_setup();
  for (auto _ : state) ticker_frame(true);
  state.counters["inked"] = inked();
}
BENCHMARK(BM_TickerFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_TickerFrameNewBitmap(benchmark::State& state) {
  ticker_setup();
  for (auto _ : state) ticker_frame(false);
  state.counters["inked"] = inked();
}
BENCHMARK(BM_TickerFrameNewBitmap)->Unit(benchmark::kMicrosecond)->UseRealTime();

// 200 lines of about 60 mixed bytes, laid out from line 0 and from the last screenful.
void BM_AnnouncementsLayout200(benchmark::State& state) {
  emote_text = &bench_emote::renderer();
  emote_text_manager()->gdi = 0;
  std::string text;
  for (int i = 0; i < 200; ++i) text += (i ? "#L" : "") + bench_emote::announcement(60);
  FILE_BUFFER page;
  page.length = static_cast<uint32_t>(text.size());
  page.data = reinterpret_cast<uint8_t*>(text.data());
  const auto first = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    bool overflowed = false;
    benchmark::DoNotOptimize(announcements_lay_out(page, first, &overflowed));
  }
  emote_text->emote_text_clear();
}
BENCHMARK(BM_AnnouncementsLayout200)->Arg(0)->Arg(185)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_AnchorMemcpyScreen(benchmark::State& state) { bench_ratio::memcpyScreen(state); }
BENCHMARK(BM_AnchorMemcpyScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(
      argc, argv,
      {{"BM_TickerFrameNewBitmap/real_time", "BM_TickerFrame/real_time",
        "bitmap made each frame / kept; target: the kept frame under 0.3 ms", false},
       bench_ratio::overMemcpy("BM_AnnouncementsLayout200/0", "target: under 5 ms"),
       bench_ratio::overMemcpy("BM_AnnouncementsLayout200/185", "target: under 5 ms")});
}
