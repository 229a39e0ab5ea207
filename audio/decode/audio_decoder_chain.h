// The decode front end's handle and the one routine that builds its chain, shared by the front
// end's own open and the music player's, which differ only in where the MPEG audio may start.
#pragma once
#include "audio/decode/audio_decoder.h"

namespace audio {
class CFileStream;
class CSliceStream;
class CMpegSystemStream;
class CMpegAudioStream;
}  // namespace audio

struct AUDIO_DECODER {
  audio::CMpegAudioStream* decoder = nullptr;
  audio::CStream* current = nullptr;  // the file stream the name was opened on
  audio::CStream* input = nullptr;    // what the decoder reads: the file, the slice or the system stream
  WAV_FORMAT* format = nullptr;       // made when the decoder opens
  audio::CFileStream* file = nullptr;
  audio::CSliceStream* slice = nullptr;
  audio::CMpegSystemStream* system = nullptr;
};

enum class AudioStartRule {
  // The front end's own: MPEG audio must show the 12-bit sync within 1,024 bytes of the start.
  FrontEnd,
  // The music player's: an ID3v2 head is skipped first, and any valid frame header (MPEG-2.5
  // included) counts as the sync.
  Music,
};

AUDIO_DECODER* audio_open_decoder_with(const char* name, AudioStartRule rule);
