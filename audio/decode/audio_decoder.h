// The decode front end: a file of MPEG audio (bare, tagged, inside RIFF or an MPEG-1 system
// stream) opened as a chain of streams that ends in the MPEG audio decoder and gives 16-bit PCM.
#pragma once
#include <cstdint>

#include "audio/wav.h"

namespace audio {
class CStream;
}

struct AUDIO_DECODER;

// Null when the file cannot be opened as a tune; the reason is logged once.
AUDIO_DECODER* audio_open_decoder(const char* name);
// Bytes read, up to length; never 0: -1 no handle, -2 no decoder, -3 the tune has ended, -4 the
// decoder gave nothing.
int32_t audio_read_pcm(AUDIO_DECODER* decoder, uint8_t* buffer, uint32_t length);
// The decoder's PCM format (16-bit, its rate and channels); null for a null handle.
const WAV_FORMAT* audio_get_wave_format(AUDIO_DECODER* decoder);
// Closes the chain from the decoder down and frees the handle; null does nothing.
void audio_close_decoder(AUDIO_DECODER* decoder);

// Decodes the whole source into a 16-bit PCM RIFF WAVE file at destination (both game paths).
// 0, or -1 after logging why.
int32_t audio_decode_to_wave_file(const char* source, const char* destination);

// A stream's control operation with two zero arguments, and the three codes asked that way.
int64_t stream_control(audio::CStream* stream, int code);
int64_t stream_tell(audio::CStream* stream);    // position
int64_t stream_at_end(audio::CStream* stream);  // 1 when no more input is buffered or left
int64_t stream_size(audio::CStream* stream);
