// The film decoder's slot, the helpers every decoder shares, and the decoder of a build without
// libav*.
#include <algorithm>
#include <bit>

#include "plat/files.h"
#include "plat/platform.h"
#include "plat/video.h"

namespace plat {
namespace {

VideoDecoderFactory& factorySlot() {
  static VideoDecoderFactory f;
  return f;
}

// Answers CannotOpen for every film that exists, so the caller skips it.
class NoVideoDecoder final : public IVideoDecoder {
 public:
  VideoOpen open(std::string_view winPath, VideoInfo& info) override {
    info = VideoInfo{};
    return get().files().isFile(winPath) ? VideoOpen::CannotOpen : VideoOpen::NotFound;
  }
  int32_t start() override { return kVideoStartNoBuffers; }
  VideoFrame next(uint16_t*, int32_t, PixelMasks, Rect) override { return VideoFrame::End; }
  VideoFrame next24(uint8_t*, int32_t, Rect) override { return VideoFrame::End; }
  void seekMs(int64_t) override {}
  void close() override {}
  uint32_t durationMs() const override { return 0; }
  VideoTimes times() const override { return {}; }
  std::string takeError() override { return {}; }
};

// The top `bits` bits of an 8-bit channel placed under the mask.
uint16_t channel(uint32_t value8, uint32_t mask) {
  if (mask == 0) return 0;
  const int low = std::countr_zero(mask);
  const int bits = std::popcount(mask);
  const uint32_t v = bits >= 8 ? value8 << (bits - 8) : value8 >> (8 - bits);
  return static_cast<uint16_t>((v << low) & mask);
}

}  // namespace

std::unique_ptr<IVideoDecoder> makeVideoDecoder() {
  if (factorySlot()) return factorySlot()();
  return makeLibavVideoDecoder();
}

void setVideoDecoderFactory(VideoDecoderFactory factory) { factorySlot() = std::move(factory); }

std::unique_ptr<IVideoDecoder> makeNoVideoDecoder() { return std::make_unique<NoVideoDecoder>(); }

void videoFitSize(int32_t w, int32_t h, int32_t& outW, int32_t& outH) {
  outW = std::max(w, 0);
  outH = std::max(h, 0);
  if (outW <= kVideoMaxWidth && outH <= kVideoMaxHeight) return;
  // The tighter of the two ratios, in integers: w * 600 against h * 800.
  const int64_t W = outW, H = outH;
  if (W * kVideoMaxHeight >= H * kVideoMaxWidth) {
    outW = kVideoMaxWidth;
    outH = static_cast<int32_t>(std::max<int64_t>(1, H * kVideoMaxWidth / W));
  } else {
    outH = kVideoMaxHeight;
    outW = static_cast<int32_t>(std::max<int64_t>(1, W * kVideoMaxHeight / H));
  }
  outW = std::min(outW, kVideoMaxWidth);
  outH = std::min(outH, kVideoMaxHeight);
}

uint16_t videoPack16(uint32_t rgb, PixelMasks m) {
  return static_cast<uint16_t>(channel((rgb >> 16) & 0xFF, m.red) | channel((rgb >> 8) & 0xFF, m.green) |
                               channel(rgb & 0xFF, m.blue));
}

bool videoMasksUsable(PixelMasks m) {
  if (m.red == 0 || m.green == 0 || m.blue == 0) return false;
  if ((m.red | m.green | m.blue) > 0xFFFF) return false;
  return (m.red & m.green) == 0 && (m.red & m.blue) == 0 && (m.green & m.blue) == 0;
}

}  // namespace plat
