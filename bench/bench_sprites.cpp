// Sprite drawing and the frame-command lookups. img256_draw is measured in ns per drawn pixel
// beside the scalar per-pixel statement of its rule (the tests' reference) as the anchor; the
// game-screen mix and the interpreter's lookups in time per frame.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_ratio.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/img256/sprite_state.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "graphics/primitives/gfx16.h"
#include "plat/headless.h"
#include "tests/graphics/img256_reference.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"
#include "graphics/img256/scene_masks.h"

namespace {

// A 64 x 96 figure: a soft-edged body, clear corners, 200 colours.
std::vector<uint8_t> figure(int seed, int w = 64, int h = 96) {
  std::mt19937 rng(static_cast<uint32_t>(seed));
  mdaw::Picture p = mdaw::picture_fill(w, h, {0, 0, 0, 0});
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double dx = (x - w / 2.0) / (w / 2.0), dy = (y - h / 2.0) / (h / 2.0), d = dx * dx + dy * dy;
      if (d >= 1) continue;
      const auto c = static_cast<uint8_t>(rng() % 200);
      p.at(x, y) = {c, static_cast<uint8_t>(c * 3), static_cast<uint8_t>(255 - c),
                    static_cast<uint8_t>(d > 0.8 ? 60 + rng() % 100 : 255)};
    }
  }
  mdaw::FrameGeometry g;
  g.hot_x = static_cast<int16_t>(w / 2);
  g.hot_y = static_cast<int16_t>(h - 4);
  return mdaw::img256_encode(p, g);
}

struct Frames {
  std::vector<std::vector<uint8_t>> bytes;
  std::vector<Img256Frame> views;
  uint64_t pixels = 0;  // run pixels of one pass over every frame
  explicit Frames(int n, int w = 64, int h = 96) {
    for (int i = 0; i < n; ++i) bytes.push_back(figure(i, w, h));
    views.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
      img256_open(bytes[i].data(), bytes[i].size(), &views[i]);
      img256_walk(views[i], [&](uint32_t, uint32_t, const uint8_t*, uint32_t n) { pixels += n; });
    }
  }
};

Frames& figures() {
  static Frames f(300);
  return f;
}

BITMAP16* screen() {
  static BITMAP16* b = [] {
    BITMAP16* s = bitmap16_create(800, 600);
    bitmap16_fill(s, 0x4208);
    return s;
  }();
  return b;
}

// 20 masks of 64 x 96 spread over the screen, bits alternating by column.
void masks_on() {
  static std::vector<uint8_t> bits(8 * 96, 0xCC);
  static std::vector<SCENE_MASK> records;
  static std::vector<int32_t> order;
  if (records.empty()) {
    for (int i = 0; i < 20; ++i) {
      records.push_back({64, 96, 40 * i, 25 * i, bits.data()});
      order.push_back(19 - i);
    }
  }
  scene_mask_list = {20, order.data(), records.data(), 20};
  sprite_draw_state.mask_test = 1;
  sprite_draw_state.mask_see_through = 1;
}

template <class Draw>
void draw_all(benchmark::State& state, Draw draw) {
  Frames& f = figures();
  BITMAP16* s = screen();
  for (auto _ : state) {
    // A scene clears the map each frame; left full, it would hide nearly every pixel.
    if (sprite_draw_state.occlusion_test) sprite_occlusion_clear();
    for (size_t i = 0; i < f.views.size(); ++i) {
      draw(static_cast<int32_t>(40 + (i * 37) % 720), static_cast<int32_t>(100 + (i * 53) % 480), i, s);
    }
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_pixel"] = benchmark::Counter(static_cast<double>(state.iterations() * f.pixels),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void setup_state(int mode) {
  sprite_draw_state_reset();
  scene_mask_list_reset();
  if (mode == 1) sprite_draw_state.occlusion_test = sprite_draw_state.occlusion_write = 1;
  if (mode == 2) masks_on();
}

void BM_Img256Draw(benchmark::State& state) {
  setup_state(static_cast<int>(state.range(0)));
  draw_all(state, [](int32_t x, int32_t y, size_t i, BITMAP16* s) { img256_draw(x, y, &figures().views[i], s); });
  setup_state(0);
}
BENCHMARK(BM_Img256Draw)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"flags"});

void BM_Img256DrawReference(benchmark::State& state) {
  setup_state(static_cast<int>(state.range(0)));
  draw_all(state, [](int32_t x, int32_t y, size_t i, BITMAP16* s) { gfxt::ref::draw(x, y, figures().bytes[i].data(), s); });
  setup_state(0);
}
BENCHMARK(BM_Img256DrawReference)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"flags"});

void BM_MaskHitTest20(benchmark::State& state) {
  masks_on();
  int32_t x = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mask_hit_test(x % 800, (x * 7) % 600));
    ++x;
  }
  scene_mask_list_reset();
}
BENCHMARK(BM_MaskHitTest20);

// One game-screen frame: 100 figures, 40 buttons and icons, four 800 x 40 panels, a full-screen blend.
void BM_GameScreenMix(benchmark::State& state) {
  setup_state(0);
  gfx16_set_mmx_masks(PIXEL_FORMAT_565);
  static Frames icons(40, 32, 32), panels(4, 800, 40);
  BITMAP16* s = screen();
  Frames& f = figures();
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) img256_draw(40 + (i * 37) % 720, 100 + (i * 53) % 480, &f.views[static_cast<size_t>(i)], s);
    for (int i = 0; i < 40; ++i) img256_draw(20 + (i % 20) * 38, 520 + (i / 20) * 36, &icons.views[static_cast<size_t>(i)], s);
    for (int i = 0; i < 4; ++i) img256_draw(400, 36 + 150 * i, &panels.views[static_cast<size_t>(i)], s);
    mmx_fill_blend(0, 0, 800, 600, 0x0000, s, 64);  // what DRAW installs on x86-64
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_GameScreenMix)->Unit(benchmark::kMicrosecond);

// 100 entries of 20 commands and 60 frames; 500 calls a frame drawing off screen.
std::vector<int32_t>& loaded_table() {
  static std::vector<int32_t> ids = [] {
    const auto dir = std::filesystem::temp_directory_path() / "veldra-bench-sprites";
    std::filesystem::create_directories(dir);
    plat::HeadlessOptions o;
    o.gameDir = dir.string();
    o.watchdog = false;
    plat::installHeadless(o);
    mda_set_message_box([](const char*) {});
    mda_set_sound_player([](const uint8_t*, int32_t, int32_t) { return 0; });
    mdaw::MdaFile file;
    const std::vector<uint8_t> small = mdaw::img256_encode(mdaw::picture_fill(8, 8, {90, 90, 90, 255}), {});
    for (int i = 0; i < 60; ++i) file.frame("Frame" + std::to_string(i), small);
    for (int c = 0; c < 20; ++c) {
      file.command("MainCommand" + std::to_string(c));
      for (int s = 0; s < 3; ++s) file.step("frame" + std::to_string((c * 3 + s) % 60));
    }
    const std::vector<uint8_t> bytes = mdaw::mda_build(file);
    FILE* out = std::fopen((dir / "npc.mda").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
    std::vector<int32_t> v;
    for (int i = 0; i < 100; ++i) {
      int32_t id = -1;
      mda_load_file("NPC.mda", &id);
      v.push_back(id);
    }
    return v;
  }();
  return ids;
}

void BM_RunCommandLookups500(benchmark::State& state) {
  setup_state(0);
  std::vector<int32_t>& ids = loaded_table();
  BITMAP16* s = screen();
  static const std::vector<std::string> names = [] {
    std::vector<std::string> n;
    for (int c = 0; c < 20; ++c) n.push_back("MainCommand" + std::to_string(c));
    return n;
  }();
  for (auto _ : state) {
    for (int i = 0; i < 500; ++i) {
      benchmark::DoNotOptimize(mda_run_command(ids[static_cast<size_t>(i % 100)], names[static_cast<size_t>(i % 20)].c_str(),
                                               -9999, -9999, s, 0x12, 0, 0, 0));
    }
  }
}
BENCHMARK(BM_RunCommandLookups500)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_Img256Draw/flags:0", "BM_Img256DrawReference/flags:0", "speed-up over the scalar rule, flags off (want >= 2)", true},
                           {"BM_Img256Draw/flags:1", "BM_Img256DrawReference/flags:1", "speed-up, occlusion test and write", true},
                           {"BM_Img256Draw/flags:2", "BM_Img256DrawReference/flags:2", "speed-up, 20 masks", true}});
}
