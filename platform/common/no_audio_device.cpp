// The audio device of a machine without one: nothing opens, so the game runs silent.
#include "plat/audio.h"
#include "plat/platform.h"

namespace plat {

namespace {

class NoAudioDevice final : public IAudioDevice {
 public:
  int32_t open(const WaveFormat&) override { return DSERR_NODRIVER; }
  bool isOpen() const override { return false; }
  void close() override {}
  int32_t createBuffer(const WaveFormat&, uint32_t, uint32_t, std::unique_ptr<ISoundBuffer>& out) override {
    out.reset();
    return DSERR_UNINITIALIZED;
  }
  void loseAllBuffers() override {}
};

}  // namespace

IAudioDevice& noAudioDevice() {
  static NoAudioDevice device;
  return device;
}

IAudioDevice& Platform::audio() { return noAudioDevice(); }

}  // namespace plat
