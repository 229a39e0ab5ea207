#include "audio/mpeg/mpeg_audio_stream.h"

namespace audio {

struct CMpegAudioStream::Impl {};

CMpegAudioStream::CMpegAudioStream() : d_(std::make_unique<Impl>()) {}
CMpegAudioStream::~CMpegAudioStream() { close(); }

int CMpegAudioStream::open(CStream*, int*, int*, bool, int, int) { return -1; }
int64_t CMpegAudioStream::frameBytes() const { return 0; }
int CMpegAudioStream::rawClose() { return CStream::rawClose(); }
int64_t CMpegAudioStream::rawRead(uint8_t*, int64_t) { return 0; }
int64_t CMpegAudioStream::rawPeek(uint8_t*, int64_t) { return 0; }
int64_t CMpegAudioStream::rawSeek(int64_t) { return 0; }
int64_t CMpegAudioStream::rawControl(int code, void* arg, int64_t v) { return CStream::rawControl(code, arg, v); }

}  // namespace audio
