// The SDL audio device: 22,050 Hz signed 16-bit stereo (SDL converts to the device's own
// rate), its callback running the mixer.
#pragma once
#include <SDL.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "common/mixer.h"
#include "plat/audio.h"

namespace plat::sdl {

class SdlAudio final : public IAudioDevice {
 public:
  ~SdlAudio() override { close(); }
  int32_t open(const WaveFormat& primary) override;
  bool isOpen() const override { return device_.load() != 0; }
  void close() override;
  int32_t createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps,
                       std::unique_ptr<ISoundBuffer>& out) override;
  void loseAllBuffers() override { mixer_->loseAll(); }

 private:
  std::shared_ptr<common::Mixer> mixer_ = common::makeMixer();
  std::mutex mutex_;  // open and close
  std::atomic<SDL_AudioDeviceID> device_{0};
  bool subsystem_ = false;
};

}  // namespace plat::sdl
