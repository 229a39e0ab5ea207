// The installed PCM source opener and music graph factory. Both live in function statics, so
// that audio/ may install its opener while the program's statics are being made.
#include <mutex>

#include "plat/music_graph.h"
#include "plat/platform.h"

namespace plat {

namespace {

struct MusicSlots {
  std::mutex mutex;
  PcmSourceOpener opener;
  MusicGraphFactory factory;
};

MusicSlots& slots() {
  static MusicSlots s;
  return s;
}

}  // namespace

void setPcmSourceOpener(PcmSourceOpener opener) {
  std::lock_guard<std::mutex> lock(slots().mutex);
  slots().opener = std::move(opener);
}

std::unique_ptr<PcmSource> openPcmSource(std::string_view cp936Path) {
  PcmSourceOpener opener;
  {
    std::lock_guard<std::mutex> lock(slots().mutex);
    opener = slots().opener;
  }
  return opener ? opener(cp936Path) : nullptr;
}

void setMusicGraphFactory(MusicGraphFactory factory) {
  std::lock_guard<std::mutex> lock(slots().mutex);
  slots().factory = std::move(factory);
}

std::unique_ptr<IMusicGraph> createMusicGraph() {
  MusicGraphFactory factory;
  {
    std::lock_guard<std::mutex> lock(slots().mutex);
    factory = slots().factory;
  }
  if (factory) return factory();
  // Like the media player, the graph opens the output itself; a machine without one has no graph.
  IAudioDevice& device = get().audio();
  if (device.open(WaveFormat{}) != DS_OK) return nullptr;
  return makeMusicGraph(device);
}

}  // namespace plat
