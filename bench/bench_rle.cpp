// The RLE walks against memcpy of the same rows, and one-frame reads of a 100-frame cake file.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "bench/bench_ratio.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cake/cake.h"
#include "graphics/primitives/bitmap8.h"
#include "graphics/rle/rle.h"
#include "plat/headless.h"

namespace {

constexpr int W = 64, H = 96;

RLE_IMAGE* opaque() {
  BITMAP16* bm = bitmap16_create(W, H);
  BITMAP8* mask = bitmap8_create(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) bm->rows[y][x] = static_cast<uint16_t>(x * 31 + y * 977), mask->rows[y][x] = 1;
  RLE_IMAGE* img = rle_encode(bm, mask);
  bitmap16_free(&bm);
  bitmap8_free(&mask);
  return img;
}

// An ellipse with a soft edge and a drop shadow.
RLE_IMAGE* soft() {
  BITMAP16A* src = bitmap16a_create(W, H);
  BITMAP16A* shadow = bitmap16a_create(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const double d = std::hypot((x - 28.0) / 28.0, (y - 44.0) / 44.0);
      const double ds = std::hypot((x - 34.0) / 28.0, (y - 50.0) / 44.0);
      bitmap16a_pixels(src, y)[x] = static_cast<uint16_t>(x * 31 + y * 977);
      bitmap16a_alpha(src, y)[x] = d < 0.9 ? 255 : d < 1.0 ? static_cast<uint8_t>(2550 * (1.0 - d)) : 0;
      bitmap16a_alpha(shadow, y)[x] = ds < 1.0 ? 200 : 0;
    }
  RLE_IMAGE* img = rle_from_alpha_bitmap(src, shadow);
  bitmap16a_free(&src);
  bitmap16a_free(&shadow);
  return img;
}

BITMAP16* screen() {
  static BITMAP16* s = bitmap16_create(800, 600);
  return s;
}

void BM_AnchorMemcpyRows(benchmark::State& state) {
  BITMAP16* src = bitmap16_create(W, H);
  BITMAP16* t = screen();
  for (auto _ : state) {
    for (int y = 0; y < H; ++y) std::memcpy(t->rows[100 + y] + 100, src->rows[y], W * 2);
    benchmark::ClobberMemory();
  }
  bitmap16_free(&src);
}
BENCHMARK(BM_AnchorMemcpyRows)->UseRealTime();

void walk(benchmark::State& state, RLE_IMAGE* img, int x) {
  for (auto _ : state) {
    rle_draw(x, 100, img, screen());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * W * H);
  rle_free(&img);
}

void BM_RleOpaqueDirect(benchmark::State& state) { walk(state, opaque(), 100); }
BENCHMARK(BM_RleOpaqueDirect)->UseRealTime();
void BM_RleSoftDirect(benchmark::State& state) { walk(state, soft(), 100); }
BENCHMARK(BM_RleSoftDirect)->UseRealTime();
void BM_RleSoftClippedLeft(benchmark::State& state) { walk(state, soft(), -20); }
BENCHMARK(BM_RleSoftClippedLeft)->UseRealTime();

void BM_CakeReadFrameOf100(benchmark::State& state) {
  static const bool ready = [] {
    auto p = std::filesystem::temp_directory_path() / "veldra-bench-rle";
    std::filesystem::create_directories(p);
    plat::HeadlessOptions o;
    o.gameDir = p.string();
    o.watchdog = false;
    plat::installHeadless(o);
    CAKE_NODE* head = cake_new_frame_node();
    CAKE_NODE* last = head;
    for (int i = 0; i < 100; ++i) {
      CAKE_NODE* n = cake_new_frame_node();
      n->frame->rle = soft();
      n->prev = last;
      last->next = n;
      last = n;
    }
    const bool ok = save_cake_frame_ani_to_file("bench.cak", head) == 0;
    cake_free_frame_list(&head);
    return ok;
  }();
  if (!ready) state.SkipWithError("write failed");
  int32_t i = 0;
  for (auto _ : state) {
    CAKE_FRAME* f = nullptr;
    if (cake_read_frame("bench.cak", i++ % 100, &f) != 0) state.SkipWithError("read failed");
    cake_free_frame(&f);
  }
}
BENCHMARK(BM_CakeReadFrameOf100)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(
      argc, argv,
      {{"BM_RleOpaqueDirect/real_time", "BM_AnchorMemcpyRows/real_time", "time over memcpy, target <= 2", false},
       {"BM_RleSoftClippedLeft/real_time", "BM_RleSoftDirect/real_time", "clipped over direct, target <= 1.5",
        false}});
}
