// The decode front end: a compressed tune opened as a chain that gives 16-bit PCM.
#pragma once
#include <cstdint>

#include "audio/wav.h"

struct AUDIO_DECODER;

// Null when the file cannot be opened as a tune (nothing is logged).
AUDIO_DECODER* audio_open_decoder(const char* name);
// Bytes read, up to length; negative at the end of the tune (-1 for a null handle).
int32_t audio_read_pcm(AUDIO_DECODER* decoder, uint8_t* buffer, uint32_t length);
// The chain's PCM format; null for a null handle.
const WAV_FORMAT* audio_get_wave_format(AUDIO_DECODER* decoder);
// Null does nothing.
void audio_close_decoder(AUDIO_DECODER* decoder);
