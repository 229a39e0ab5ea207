// The emote-text renderer: laying out a long announcement (against one measure of the whole
// text), one frame's load of coded texts (against drawing the same texts with the text module)
// and one window-path picture draw.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "bench/emote_renderer.h"
#include "engine/emote/emote_draw.h"
#include "engine/emote/emote_manager.h"
#include "engine/emote/emote_text.h"
#include "engine/winfont/winfont.h"
#include "plat/canvas24.h"
#include "plat/cp936.h"

namespace {

void layout_bench(benchmark::State& state, size_t bytes) {
  bench_emote::renderer();
  const std::u16string text = plat::cp936::decode(bench_emote::announcement(bytes));
  emote_text_manager()->gdi = 0;  // the software measure
  EmoteMeasure measure;
  TEXT_LAYOUT layout;
  for (auto _ : state) {
    TEXT_REQUEST req;
    req.text = text;
    layout_text(layout, req, 50, 50, 750, 2000, measure);
    benchmark::DoNotOptimize(layout.runs.data());
  }
  state.counters["runs"] = static_cast<double>(layout.runs.size());
}

void BM_LayoutAnnouncement(benchmark::State& state) { layout_bench(state, 2047); }
BENCHMARK(BM_LayoutAnnouncement)->Unit(benchmark::kMicrosecond);

// Twice the text: linear layout takes about twice the time.
void BM_LayoutAnnouncementDouble(benchmark::State& state) { layout_bench(state, 4094); }
BENCHMARK(BM_LayoutAnnouncementDouble)->Unit(benchmark::kMicrosecond);

void BM_MeasureWholeText(benchmark::State& state) {
  bench_emote::renderer();
  const std::u16string text = plat::cp936::decode(bench_emote::announcement(2047));
  emote_text_manager()->gdi = 0;
  for (auto _ : state) benchmark::DoNotOptimize(measure_text(text));
}
BENCHMARK(BM_MeasureWholeText)->Unit(benchmark::kMicrosecond);

// 40 texts of 30 mixed characters.
const std::vector<std::string>& frame_texts() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> v;
    for (int i = 0; i < 40; ++i) {
      std::string s = (i % 2 ? "#Y" : "#G") + std::string("Player") + std::to_string(i) + "#N: ";
      s += "\xD6\xD0\xCE\xC4 hello \xCA\xC0\xBD\xE7 world";
      v.push_back(s);
    }
    return v;
  }();
  return texts;
}

void BM_FrameFlush40(benchmark::State& state) {
  IEmoteText& e = bench_emote::renderer();
  for (auto _ : state) {
    for (size_t i = 0; i < frame_texts().size(); ++i) {
      e.emote_text_draw_line(10 + static_cast<int32_t>(i % 2) * 400, 10 + static_cast<int32_t>(i / 2) * 25, 380, 24,
                             frame_texts()[i].c_str());
    }
    e.emote_text_flush(0, 0, 0.07f, screen_back, 0);
  }
}
BENCHMARK(BM_FrameFlush40)->Unit(benchmark::kMicrosecond);

void BM_FontDraw40(benchmark::State& state) {
  bench_emote::renderer();
  // The same characters without the codes, drawn as the renderer draws a run.
  std::vector<std::string> plain;
  for (const std::string& t : frame_texts()) {
    std::string s;
    for (size_t k = 0; k < t.size(); ++k) {
      if (t[k] == '#') {
        ++k;
        continue;
      }
      s += t[k];
    }
    plain.push_back(s);
  }
  for (auto _ : state) {
    for (size_t i = 0; i < plain.size(); ++i) {
      const int32_t x = 10 + static_cast<int32_t>(i % 2) * 400, y = 12 + static_cast<int32_t>(i / 2) * 25;
      font_draw_text(x, y, "~Z1", 1, screen_back);
      font_draw_text(x, y, plain[i].c_str(), 1, screen_back);
    }
  }
}
BENCHMARK(BM_FontDraw40)->Unit(benchmark::kMicrosecond);

void BM_GdiEmoteDraw32(benchmark::State& state) {
  bench_emote::renderer();
  static plat::Canvas24 window(800, 600);
  EMOTE_TEXT_MANAGER& m = *emote_text_manager();
  m.gdi = 1;
  m.dc = &window;
  for (auto _ : state) draw_picture("000", 100, 100, nullptr);
}
BENCHMARK(BM_GdiEmoteDraw32)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_LayoutAnnouncement", "BM_MeasureWholeText", "layout / one measure, target <= 4", false},
                           {"BM_LayoutAnnouncementDouble", "BM_LayoutAnnouncement", "twice the text, target <= 2", false},
                           {"BM_FrameFlush40", "BM_FontDraw40", "40 texts flushed / drawn directly, target <= 1.5",
                            false}});
}
