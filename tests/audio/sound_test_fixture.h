// The SOUND module's tests over the recording fake device: the SYSTEM log on, a game folder for
// WAV files, and helpers to load channels.
#pragma once
#include <string>
#include <vector>

#include "audio/sound.h"
#include "audio/sound/sound_state.h"
#include "tests/audio/wav_builder.h"
#include "tests/engine/pak_fixture.h"
#include "tests/support/fake_audio_device.h"

namespace sound_test {

class FakeDeviceTest : public pak_test::PakTest {
 protected:
  std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> headless) override {
    return std::make_unique<veldra_test::FakeAudioPlatform>(std::move(headless), device);
  }
  void putWave(const std::string& name, const std::vector<uint8_t>& bytes) { writeFile(name, bytes); }
  // The lines of buffer n (its number as the fake counts them) without the number.
  std::vector<std::string> callsOf(int n) const {
    std::vector<std::string> out;
    const std::string prefix = std::to_string(n) + " ";
    for (const std::string& l : device.log.lines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l.substr(prefix.size()));
    return out;
  }
  veldra_test::FakeAudioDevice device;
};

// 16-bit stereo at 22,050 Hz, n data bytes of a ramp.
inline std::vector<uint8_t> ramp_wave(uint32_t n, uint8_t seed = 1) {
  std::vector<uint8_t> data(n);
  for (uint32_t i = 0; i < n; ++i) data[i] = static_cast<uint8_t>(seed + i * 7);
  return wav_test::riffWave({{"fmt ", wav_test::fmtPayload(2, 22050, 88200, 4, 16)}, {"data", data}});
}

}  // namespace sound_test
