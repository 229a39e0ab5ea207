// The MPEG road of the music graph: PCM straight from the decoder chain, whole blocks only.
#include "audio/music_mpeg_source.h"

#include <memory>
#include <string>
#include <utility>

#include "audio/decode/audio_decoder_chain.h"
#include "audio/sound/sound_channel.h"

namespace {

class MpegPcmSource : public plat::PcmSource {
 public:
  MpegPcmSource(std::string name, AUDIO_DECODER* decoder)
      : name_(std::move(name)), decoder_(decoder), format_(sound_wave_format(*audio_get_wave_format(decoder))) {}
  ~MpegPcmSource() override { audio_close_decoder(decoder_); }

  plat::WaveFormat format() const override { return format_; }

  int32_t read(uint8_t* dst, uint32_t bytes) override {
    if (decoder_ == nullptr) return 0;  // a rewind that could not reopen: the tune has ended
    const uint32_t whole = bytes - bytes % format_.blockAlign;
    if (whole == 0) return 0;
    const int32_t n = audio_read_pcm(decoder_, dst, whole);
    if (n == -3 || n == -4) return 0;
    return n < 0 ? -1 : n - n % format_.blockAlign;
  }

  // The decoder chain starts again from the file.
  bool rewind() override {
    audio_close_decoder(decoder_);
    decoder_ = audio_open_decoder_with(name_.c_str(), AudioStartRule::Music);
    return decoder_ != nullptr;
  }

 private:
  std::string name_;
  AUDIO_DECODER* decoder_;
  plat::WaveFormat format_;
};

}  // namespace

std::unique_ptr<plat::PcmSource> music_mpeg_source_open(std::string_view cp936Path) {
  std::string name(cp936Path);
  AUDIO_DECODER* decoder = audio_open_decoder_with(name.c_str(), AudioStartRule::Music);
  if (decoder == nullptr) return nullptr;
  return std::make_unique<MpegPcmSource>(std::move(name), decoder);
}
