// Reading, describing and closing an opened tune; the control shorthands of the streams.
#include "audio/decode/audio_decoder.h"

#include <algorithm>
#include <cstdint>

#include "audio/decode/audio_decoder_chain.h"
#include "audio/mpeg/mpeg_audio_stream.h"
#include "audio/stream/file_stream.h"
#include "audio/stream/slice_stream.h"
#include "audio/stream/system_stream.h"

namespace {
constexpr int kCodePosition = 0;
constexpr int kCodeAtEnd = 2;
constexpr int kCodeSize = 4;
}  // namespace

int64_t stream_control(audio::CStream* stream, int code) { return stream ? stream->control(code, nullptr, 0) : 0; }
int64_t stream_tell(audio::CStream* stream) { return stream_control(stream, kCodePosition); }
int64_t stream_at_end(audio::CStream* stream) { return stream_control(stream, kCodeAtEnd); }
int64_t stream_size(audio::CStream* stream) { return stream_control(stream, kCodeSize); }

int32_t audio_read_pcm(AUDIO_DECODER* decoder, uint8_t* buffer, uint32_t length) {
  if (decoder == nullptr) return -1;
  if (decoder->decoder == nullptr) return -2;
  if (stream_at_end(decoder->decoder) != 0) return -3;
  // A count past the result's range is read in part: the result stays a byte count.
  const int64_t got = decoder->decoder->read(buffer, std::min<int64_t>(length, INT32_MAX));
  return got > 0 ? static_cast<int32_t>(got) : -4;
}

const WAV_FORMAT* audio_get_wave_format(AUDIO_DECODER* decoder) { return decoder ? decoder->format : nullptr; }

void audio_close_decoder(AUDIO_DECODER* decoder) {
  if (decoder == nullptr) return;
  // From the decoder down the chain, then the objects the chain was made of.
  if (decoder->decoder) {
    decoder->decoder->close();
    delete decoder->decoder;
  }
  if (decoder->input) decoder->input->close();
  if (decoder->current) decoder->current->close();
  delete decoder->format;
  delete decoder->file;
  delete decoder->slice;
  delete decoder->system;
  delete decoder;
}
