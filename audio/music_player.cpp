// The music player over one platform music graph, kept as its five facets: each call tests the
// facet it needs, so a graph that lacks one (or no graph at all) makes that call do nothing.
#include "audio/music_player.h"

#include <memory>
#include <string_view>

#include "audio/music_source.h"
#include "core/reset/module_resets.h"
#include "plat/cp936.h"
#include "plat/music_graph.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

namespace {

// The longest name the graph takes, in UTF-16 units with the terminator.
constexpr size_t kNameUnits = 260;

struct MusicPlayerState {
  std::unique_ptr<plat::IMusicGraph> graph;  // owns the facets below
  plat::IMusicBuilder* builder = nullptr;
  plat::IMusicControl* control = nullptr;
  plat::IMusicEvents* events = nullptr;
  plat::IMusicSeeking* seeking = nullptr;
  plat::IMusicAudio* audio = nullptr;
  int32_t volume = 0;  // hundredths of a decibel, applied on every run
  int32_t loop = 1;    // tunes loop for ever
  MusicPlayerHook* hook = nullptr;
};

MusicPlayerState g_music;

void music_player_reset() {
  MusicPlayerHook* const hook = g_music.hook;  // the recorder belongs to the test, not the module
  music_graph_release();
  g_music = MusicPlayerState{};
  g_music.hook = hook;
  plat::setPcmSourceOpener(music_source_open);
}

const ModuleReset k_reset("music player", music_player_reset);

// Installed when the program starts; the reset puts it back after a test replaced it.
const bool k_opener_installed = [] {
  plat::setPcmSourceOpener(music_source_open);
  return true;
}();

}  // namespace

void music_player_set_hook(MusicPlayerHook* hook) { g_music.hook = hook; }

int32_t music_graph_create() {
  g_music.graph = plat::createMusicGraph();
  if (!g_music.graph) return 0;
  g_music.builder = g_music.graph->builder();
  g_music.control = g_music.graph->control();
  g_music.events = g_music.graph->events();
  g_music.seeking = g_music.graph->seeking();
  g_music.audio = g_music.graph->audio();
  if (g_music.events)
    g_music.events->notifyWindow(plat::get().windows().mainWindow(), plat::WM_MUSIC_EVENT);
  return 0;
}

int32_t music_graph_release() {
  if (g_music.control) g_music.control->stop();
  g_music.seeking = nullptr;
  g_music.events = nullptr;
  g_music.control = nullptr;
  g_music.audio = nullptr;
  g_music.builder = nullptr;
  g_music.graph.reset();  // joins its feeder
  return 0;
}

int32_t music_open_file(const char* name) {
  if (g_music.hook) return g_music.hook->open_file(name);
  music_graph_release();
  music_graph_create();
  if (!g_music.builder) return 0;
  // A name whose conversion does not fit the graph's name buffer reaches it empty.
  std::string_view path = name ? std::string_view(name) : std::string_view();
  if (plat::cp936::decode(path).size() + 1 > kNameUnits) path = {};
  return g_music.builder->renderFile(path) == plat::kGraphOk ? 0 : plat::kGraphFail;
}

void music_run() {
  if (g_music.hook) return g_music.hook->run();
  if (g_music.audio) g_music.audio->setVolume(g_music.volume);
  if (g_music.control) g_music.control->run();
}

void music_pause() {
  if (g_music.hook) return g_music.hook->pause();
  if (g_music.control) g_music.control->pause();
}

int32_t music_stop() {
  if (g_music.hook) return g_music.hook->stop();
  return g_music.control ? g_music.control->stop() : 0;
}

int32_t music_set_volume(int32_t volume) {
  if (g_music.hook) return g_music.hook->set_volume(volume);
  // r * 0.01f * 2500.0f - 2500.0f in single precision, which is exactly 25r - 2500 for every
  // remainder; in double it would give -2524 for -1.
  const int32_t r = volume % 101;
  g_music.volume = 25 * r - 2500;
  if (g_music.audio) g_music.audio->setVolume(g_music.volume);
  return g_music.volume;
}

int32_t music_poll_events() {
  if (g_music.hook) return g_music.hook->poll_events();
  if (!g_music.events) return 0;
  int32_t result = 0;
  int32_t code = 0, param1 = 0, param2 = 0;
  while (g_music.events->getEvent(code, param1, param2) == plat::kGraphOk) {
    result = 0;  // the event's parameters need no freeing
    if (code == plat::EC_COMPLETE && g_music.loop) {
      result = g_music.seeking ? g_music.seeking->rewind() : plat::kGraphFail;
      if (result < 0) {
        // The seek failed: start the tune again by stopping and running.
        result = g_music.control ? g_music.control->stop() : plat::kGraphFail;
        if (result < 0) return result;
        result = g_music.control->run();
        if (result < 0) return result;
      }
    }
  }
  return result;
}
