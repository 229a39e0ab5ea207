// The scene's per-frame character update: 200 characters in every movement mode and 100 ambient
// sound objects, each object checked every frame, the player among them. Target: under 50 us.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>

#include "bench/bench_headless.h"
#include "core/reset/module_resets.h"
#include "world/map/map_data.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr int32_t kChars = 200;
constexpr int32_t kObjects = 100;
constexpr uint32_t kPlayer = 1000;

void fillScene() {
  module_resets_run_all();
  map_record.display.cell_width = 16;
  map_record.display.cell_height = 8;
  map_record.display.map_width = 4000;
  map_record.map_height = 4000;
  scene_player_id = kPlayer;
  for (int32_t i = 0; i < kChars; ++i) {
    const int32_t at = scene_alloc_char();
    if (at < 0) return;
    SCENE_CHAR& c = scene_chars[at];
    c.id = kPlayer + static_cast<uint32_t>(i);
    c.kind = i % 3 == 0 ? SCENE_KIND_PLAYER : SCENE_KIND_NPC;
    c.mode = static_cast<int8_t>(i % 4);
    if (c.mode == SCENE_MOVE_FOLLOW) c.owner_id = kPlayer;  // followers of the player, never orphaned
    c.x = c.target_x = static_cast<uint16_t>(100 + (i * 37) % 3800);
    c.y = c.target_y = static_cast<uint16_t>(100 + (i * 53) % 3800);
  }
  scene_chars[0].x = scene_chars[0].y = 2000;
  for (int32_t i = 0; i < kObjects; ++i) {
    MAP_OBJECT o{};
    std::snprintf(o.name, sizeof o.name, "sound%d.wav", i);
    o.kind = i % 4 == 0 ? MAP_OBJECT_LOOK : MAP_OBJECT_SOUND;
    o.x = 200 + (i * 41) % 3600;
    o.y = 200 + (i * 67) % 3600;
    o.look = o.voice = -1;
    map_record.objects.push_back(o);
  }
}

void BM_SceneUpdateChars(benchmark::State& state) {
  bench_headless::install_once();
  fillScene();
  for (auto _ : state) {
    for (MAP_OBJECT& o : map_record.objects) o.next_check = 0;  // every object due each frame
    scene_update_chars();
  }
  benchmark::DoNotOptimize(scene_chars.data);
  state.SetItemsProcessed(state.iterations() * kChars);
  module_resets_run_all();
}

BENCHMARK(BM_SceneUpdateChars)->Unit(benchmark::kMicrosecond);

}  // namespace
