// The music graph's roads: a PCM WAVE tune's "data" chunks read whole through the WAV reader and
// served from memory; anything else goes to the MPEG road.
#include "audio/music_source.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "audio/music_mpeg_source.h"
#include "audio/sound/sound_channel.h"
#include "audio/wav.h"
#include "core/pak/pak.h"

namespace {

class MemoryPcmSource : public plat::PcmSource {
 public:
  MemoryPcmSource(const plat::WaveFormat& format, std::vector<uint8_t> pcm) : format_(format), pcm_(std::move(pcm)) {}
  plat::WaveFormat format() const override { return format_; }
  int32_t read(uint8_t* dst, uint32_t bytes) override {
    const size_t left = pcm_.size() - pos_;
    size_t n = std::min<size_t>(bytes, left);
    n -= n % format_.blockAlign;
    std::memcpy(dst, pcm_.data() + pos_, n);
    pos_ += n;
    return static_cast<int32_t>(n);
  }
  bool rewind() override {
    pos_ = 0;
    return true;
  }

 private:
  plat::WaveFormat format_;
  std::vector<uint8_t> pcm_;
  size_t pos_ = 0;
};

// A PCM WAVE file whole; null when it is not one or cannot be read.
std::unique_ptr<plat::PcmSource> open_pcm_wave(PAK_FILE* file) {
  WAV_FORMAT header{};
  uint32_t remaining = 0, data_bytes = 0;
  if (wav_read_header(file, &header, &remaining, &data_bytes) != 0) return nullptr;
  const plat::WaveFormat format = sound_wave_format(header);
  // A tune without a block to play would end as soon as it started, again at every loop.
  if (format.formatTag != plat::kWaveFormatPcm || !plat::waveFormatUsable(format) || data_bytes < format.blockAlign)
    return nullptr;
  std::vector<uint8_t> pcm;
  try {
    pcm.resize(data_bytes);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (wav_read_data(file, pcm.data(), data_bytes, remaining) != 0) return nullptr;
  // A last partial block cannot be played.
  pcm.resize(pcm.size() - pcm.size() % format.blockAlign);
  return std::make_unique<MemoryPcmSource>(format, std::move(pcm));
}

}  // namespace

std::unique_ptr<plat::PcmSource> music_source_open(std::string_view cp936Path) {
  const std::string name(cp936Path);
  PAK_FILE* file = pak_fopen(name.c_str(), "rb");
  if (!file) return nullptr;
  std::unique_ptr<plat::PcmSource> source = open_pcm_wave(file);
  pak_fclose(file);
  if (source) return source;
  return music_mpeg_source_open(cp936Path);
}
