// sdl.video_fullscreen: a one-second aviwrite film through play_video_fullscreen on the SDL
// backend under the dummy video and audio drivers. Exit 0 when the film was decoded, scaled and
// presented to its end at its own pace; 77 (skipped) when no SDL video driver starts.
#include <cstdio>
#include <cstdlib>

#include "client/screen_fx/play_video_fullscreen.h"
#include "core/reset/module_resets.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "engine/system/system.h"
#include "engine/video/video.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"
#include "plat/test.h"
#include "plat/video.h"
#include "tests/support/temp_game_dir.h"
#include "tools/aviwrite/aviwrite.h"

namespace {

constexpr int kFrames = 10;
int g_presents = 0;
DrawPresentFn g_real = nullptr;

int32_t counting_present(BITMAP16* bm) {
  ++g_presents;
  return g_real ? g_real(bm) : 0;
}

int fail(const char* what) {
  std::fprintf(stderr, "sdl.video_fullscreen: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  if (!plat::videoDecodingBuilt()) {
    std::printf("skipped: built with VELDRA_VIDEO off\n");
    return 77;
  }
  veldra_test::TempGameDir dir;
  dir.mkdir("movie");
  if (!aviwrite::writeFile(dir.hostPath("movie/title.avi"), {.width = 320, .height = 240, .fps = kFrames, .frames = kFrames}))
    return fail("cannot write the film");
  setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
  setenv("VELDRA_PLATFORM", "sdl", 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  plat::test::setExitHandler(true);
  plat::reloadEnvironment();
  plat::installFromEnvironment();
  module_resets_run_all();

  plat::WindowDesc desc;
  desc.titleCp936 = "video";
  desc.client = {800, 600};
  desc.proc = engine_window_proc;
  const plat::WindowId window = plat::get().windows().create(desc);
  if (window == plat::kNoWindow) {
    std::printf("skipped: no SDL video driver (%s)\n", plat::get().windows().lastError().c_str());
    return 77;
  }
  engine_state().window = window;
  sys_set_screen_size(800, 600);
  sys_set_display_mode(1);
  system_module_init();
  draw_module_init();
  g_real = draw_present_slot;
  draw_present_slot = counting_present;

  const uint32_t start = plat::get().clock().ms();
  const int result = play_video_fullscreen("MOVIE\\title.avi", 0);
  const uint32_t took = plat::get().clock().ms() - start;
  std::printf("film: result %d, %d presents, %u ms\n", result, g_presents, took);

  draw_present_slot = g_real;
  draw_module_free();
  video_reset();
  module_resets_run_all();
  plat::install(nullptr);
  if (result != 0) return fail("play_video_fullscreen did not return 0");
  // On a busy machine a late pass gets the newest due frame, so some frames may be skipped.
  if (g_presents < 1 || g_presents > kFrames) return fail("the film's frames were not presented");
  if (took < 800) return fail("the film was not paced by the clock");
  return 0;
}
