// sdl.audio_smoke: the SDL audio device under SDL's dummy audio driver opens, and its callback
// runs the mixer (a looping buffer's cursor moves and its notifications fire). Under a driver
// that does not exist, open fails and nothing is made.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "plat/audio.h"
#include "plat/event.h"
#include "plat/platform.h"

namespace {

int fail(const char* what) {
  std::fprintf(stderr, "sdl.audio_smoke: %s\n", what);
  return 1;
}

void start(const char* driver) {
  setenv("SDL_AUDIODRIVER", driver, 1);
  plat::installFromEnvironment();
}

}  // namespace

int main() {
  setenv("VELDRA_PLATFORM", "sdl", 1);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  plat::reloadEnvironment();

  start("dummy");
  {
    plat::IAudioDevice& dev = plat::get().audio();
    if (dev.open(plat::WaveFormat{}) != plat::DS_OK) return fail("the dummy driver's device did not open");
    if (!dev.isOpen()) return fail("open but not isOpen");
    // A quarter second of 16-bit mono at 11,025 Hz, notified at its start and its middle.
    plat::WaveFormat f;
    f.channels = 1;
    f.samplesPerSec = 11025;
    f.avgBytesPerSec = 22050;
    f.blockAlign = 2;
    std::unique_ptr<plat::ISoundBuffer> b;
    if (dev.createBuffer(f, 5512, plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPOSITIONNOTIFY, b) != plat::DS_OK)
      return fail("createBuffer failed");
    plat::Event atStart, atMiddle;
    const plat::Notification notes[] = {{0, &atStart}, {2756, &atMiddle}};
    if (b->setNotifications(notes) != plat::DS_OK) return fail("setNotifications failed");
    if (b->play(true) != plat::DS_OK) return fail("play failed");
    if (!atStart.wait(0)) return fail("the start notification did not fire at play");
    if (!atMiddle.wait(3000)) return fail("the callback never reached the middle");
    if (!atStart.wait(3000)) return fail("the callback never wrapped the looping buffer");
    b->stop();
    dev.close();
    if (dev.isOpen()) return fail("still open after close");
  }

  plat::install(nullptr);
  start("no-such-driver");
  {
    plat::IAudioDevice& dev = plat::get().audio();
    if (dev.open(plat::WaveFormat{}) != plat::DSERR_NODRIVER) return fail("a missing driver opened");
    std::unique_ptr<plat::ISoundBuffer> b;
    if (dev.createBuffer(plat::WaveFormat{}, 400, 0, b) != plat::DSERR_UNINITIALIZED || b)
      return fail("a buffer without a device");
  }
  plat::install(nullptr);
  std::puts("sdl.audio_smoke: ok");
  return 0;
}
