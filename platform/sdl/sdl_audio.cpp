// The SDL audio device. Without an audio driver or device, open fails and the game runs silent.
#include "sdl/sdl_audio.h"

#include <string>

namespace plat::sdl {

void note(const std::string& text);

namespace {

void SDLCALL fill(void* mixer, Uint8* stream, int len) noexcept {
  static_cast<common::Mixer*>(mixer)->mix(reinterpret_cast<int16_t*>(stream),
                                          static_cast<uint32_t>(len) / (kMixChannels * 2));
}

}  // namespace

int32_t SdlAudio::open(const WaveFormat& primary) {
  if (!waveFormatUsable(primary)) return DSERR_BADFORMAT;
  std::lock_guard<std::mutex> lock(mutex_);
  if (device_.load() != 0) return DS_OK;
  if (!SDL_WasInit(SDL_INIT_AUDIO)) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      note(std::string("SDL audio unavailable: ") + SDL_GetError());
      return DSERR_NODRIVER;
    }
    subsystem_ = true;
  }
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(kMixRate);
  want.format = AUDIO_S16SYS;
  want.channels = static_cast<Uint8>(kMixChannels);
  want.samples = 512;  // about 23 ms: the notification timing follows it
  want.callback = fill;
  want.userdata = mixer_.get();
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    note(std::string("SDL audio device unavailable: ") + SDL_GetError());
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
    return DSERR_NODRIVER;
  }
  device_.store(id);
  SDL_PauseAudioDevice(id, 0);
  return DS_OK;
}

void SdlAudio::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  const SDL_AudioDeviceID id = device_.exchange(0);
  if (id != 0) SDL_CloseAudioDevice(id);  // waits for a running callback
  if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  subsystem_ = false;
}

int32_t SdlAudio::createBuffer(const WaveFormat& format, uint32_t bytes, uint32_t caps,
                               std::unique_ptr<ISoundBuffer>& out) {
  out.reset();
  if (device_.load() == 0) return DSERR_UNINITIALIZED;
  return mixer_->createBuffer(format, bytes, caps, out);
}

}  // namespace plat::sdl
