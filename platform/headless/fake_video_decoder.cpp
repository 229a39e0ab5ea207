// Synthetic films on the platform clock (the fake clock in tests): frame k is one flat colour.
#include <algorithm>

#include "plat/platform.h"
#include "plat/video.h"

namespace plat {

FakeVideoDecoder::FakeVideoDecoder(Options options, Record* record) : o_(options), record_(record ? record : &own_) {}

FakeVideoDecoder::~FakeVideoDecoder() { close(); }

uint32_t FakeVideoDecoder::frameColour(int32_t k) {
  const auto u = static_cast<uint32_t>(k);
  return ((u & 31) << 3) << 16 | (((u >> 5) & 63) << 2) << 8 | 0xF8;
}

VideoDecoderFactory FakeVideoDecoder::factory(Options options, Record* record) {
  return [options, record] { return std::make_unique<FakeVideoDecoder>(options, record); };
}

VideoOpen FakeVideoDecoder::open(std::string_view winPath, VideoInfo& info) {
  close();
  ++record_->opens;
  record_->lastPath = std::string(winPath);
  info = VideoInfo{};
  if (o_.openResult != VideoOpen::Ok) return o_.openResult;
  open_ = true;
  if (o_.hasVideo) videoFitSize(o_.width, o_.height, w_, h_);
  info.width = o_.hasVideo ? w_ : 0;
  info.height = o_.hasVideo ? h_ : 0;
  info.hasVideo = o_.hasVideo;
  info.hasAudio = o_.hasAudio;
  info.durationMs = durationMs();
  return VideoOpen::Ok;
}

int32_t FakeVideoDecoder::start() {
  if (!open_) return kVideoStartNoBuffers;
  ++record_->starts;
  if (o_.startCode != 0) return o_.startCode;
  started_ = true;
  record_->running = true;
  startClock_ = get().clock().ms();
  baseMs_ = 0;
  nextFrame_ = 0;
  return 0;
}

uint32_t FakeVideoDecoder::durationMs() const {
  if (!open_ || o_.fps <= 0 || o_.frames <= 0) return 0;
  return static_cast<uint32_t>(static_cast<int64_t>(o_.frames) * 1000 / o_.fps);
}

int32_t FakeVideoDecoder::due() {
  if (o_.fps <= 0) return -1;
  auto frameMs = [&](int32_t k) { return static_cast<int64_t>(k) * 1000 / o_.fps; };
  int32_t k = nextFrame_;
  if (k >= o_.frames) return -1;
  IClock& clock = get().clock();
  const int64_t wait = frameMs(k) - baseMs_ - static_cast<int64_t>(clock.ms() - startClock_);
  if (wait > 0) clock.sleepMs(static_cast<uint32_t>(wait));
  const int64_t now = baseMs_ + static_cast<int64_t>(clock.ms() - startClock_);
  while (k + 1 < o_.frames && frameMs(k + 1) <= now) ++k;
  nextFrame_ = k + 1;
  times_ = VideoTimes{frameMs(k), frameMs(k + 1), now};
  return k;
}

VideoFrame FakeVideoDecoder::take(int32_t& k) {
  if (!started_) return VideoFrame::NoFrame;
  k = due();
  if (k < 0) return VideoFrame::End;
  if (o_.failAtFrame >= 0 && k >= o_.failAtFrame) {
    error_ = "fake film failed at frame " + std::to_string(k);
    started_ = false;
    return VideoFrame::End;
  }
  ++record_->delivered;
  return VideoFrame::Ok;
}

VideoFrame FakeVideoDecoder::next(uint16_t* dst16, int32_t pitch, PixelMasks masks, Rect r) {
  int32_t k = 0;
  const VideoFrame got = take(k);
  if (got != VideoFrame::Ok) return got;
  const uint16_t px = videoPack16(frameColour(k), masks);
  const int32_t w = std::min(r.width(), w_), h = std::min(r.height(), h_);
  for (int32_t y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(dst16) + static_cast<int64_t>(r.top + y) * pitch);
    std::fill(row + r.left, row + r.left + std::max(w, 0), px);
  }
  return VideoFrame::Ok;
}

VideoFrame FakeVideoDecoder::next24(uint8_t* dst24, int32_t pitch, Rect r) {
  int32_t k = 0;
  const VideoFrame got = take(k);
  if (got != VideoFrame::Ok) return got;
  const uint32_t c = frameColour(k);
  const int32_t w = std::min(r.width(), w_), h = std::min(r.height(), h_);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* row = dst24 + static_cast<int64_t>(r.top + y) * pitch + static_cast<int64_t>(r.left) * 3;
    for (int32_t x = 0; x < w; ++x) {
      row[3 * x] = c & 0xFF;
      row[3 * x + 1] = (c >> 8) & 0xFF;
      row[3 * x + 2] = (c >> 16) & 0xFF;
    }
  }
  return VideoFrame::Ok;
}

void FakeVideoDecoder::seekMs(int64_t ms) {
  if (!started_) return;
  ++record_->seeks;
  const int64_t d = durationMs();
  ms = std::clamp<int64_t>(ms, 0, d > 0 ? d - 1 : 0);
  record_->lastSeekMs = ms;
  baseMs_ = ms;
  startClock_ = get().clock().ms();
  nextFrame_ = static_cast<int32_t>(ms * o_.fps / 1000);
}

void FakeVideoDecoder::close() {
  if (open_) ++record_->closes;
  open_ = started_ = false;
  record_->running = false;
}

std::string FakeVideoDecoder::takeError() {
  std::string e;
  e.swap(error_);
  return e;
}

}  // namespace plat
