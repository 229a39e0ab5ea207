// A window of another stream (a RIFF "data" chunk, the MPEG bytes between junk and a tag).
// The inner stream is not owned and stays open when the slice closes.
#pragma once

#include <cstdint>

#include "audio/stream/stream.h"

namespace audio {

class CSliceStream : public CStream {
 public:
  ~CSliceStream() override { close(); }
  // 0, or -1 when the inner stream gives no usable window.
  int open(CStream* inner, int64_t start, int64_t length);

 protected:
  int64_t rawRead(uint8_t* buffer, int64_t n) override;
  int64_t rawPeek(uint8_t* buffer, int64_t n) override;
  int64_t rawWrite(const uint8_t* buffer, int64_t n) override;
  int64_t rawSeek(int64_t position) override;

 private:
  int64_t clampCount(int64_t n) const;

  CStream* inner_ = nullptr;
  int64_t start_ = 0;
  int64_t at_ = 0;
  int64_t length_ = 0;
};

}  // namespace audio
