// One elementary stream of an MPEG-1 system stream (packs and packets), read from another
// stream that is not owned.
#pragma once

#include <cstdint>

#include "audio/stream/stream.h"

namespace audio {

class CMpegSystemStream : public CStream {
 public:
  ~CMpegSystemStream() override { close(); }
  // 0, or -1 when the inner stream holds no packet of `streamId`.
  int open(CStream* inner, int streamId, bool skipSystemHeaderCheck);

 protected:
  int64_t rawRead(uint8_t* buffer, int64_t n) override;
  int64_t rawPeek(uint8_t* buffer, int64_t n) override;
  int64_t rawControl(int code, void* arg, int64_t v) override;

 private:
  bool findPacket();
  bool skipInner(int64_t n);

  CStream* inner_ = nullptr;
  int streamId_ = 0;
  bool skipHeaderCheck_ = false;
  int64_t payloadLeft_ = 0;
  bool end_ = false;
};

}  // namespace audio
