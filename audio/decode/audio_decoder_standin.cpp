// Until the MPEG decoder is built no tune opens: the callers log their own errors.
#include "audio/decode/audio_decoder.h"

AUDIO_DECODER* audio_open_decoder(const char* /*name*/) { return nullptr; }
int32_t audio_read_pcm(AUDIO_DECODER* /*decoder*/, uint8_t* /*buffer*/, uint32_t /*length*/) { return -1; }
const WAV_FORMAT* audio_get_wave_format(AUDIO_DECODER* /*decoder*/) { return nullptr; }
void audio_close_decoder(AUDIO_DECODER* /*decoder*/) {}
