// Film decoder: plays a video file frame by frame into the screen's 16-bit format (the client's
// title film) or into 24-bit rows (the updater's film). The real one sits on libav*; tests
// install a FakeVideoDecoder with synthetic frames and injectable failures.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "plat/types.h"

namespace plat {

constexpr int32_t kVideoMaxWidth = 800;
constexpr int32_t kVideoMaxHeight = 600;

enum class VideoOpen { Ok, NotFound, CannotOpen };
enum class VideoFrame { Ok, NoFrame, End };

// Codes start() answers besides 0: the decoder could not start its thread or buffers.
constexpr int32_t kVideoStartNoBuffers = static_cast<int32_t>(0x80040401u);

struct VideoInfo {
  // The size every frame is delivered at: the film's own, or scaled down (keeping the aspect)
  // to fit kVideoMaxWidth x kVideoMaxHeight.
  int32_t width = 0, height = 0;
  bool hasVideo = false, hasAudio = false;
  uint32_t durationMs = 0;
};

// The last delivered frame: its start and end in film time, and the film time at delivery.
struct VideoTimes {
  int64_t startMs = 0, endMs = 0, currentMs = 0;
};

struct IVideoDecoder {
  virtual ~IVideoDecoder() = default;
  // winPath goes through the path resolver. Closes a film already open first.
  virtual VideoOpen open(std::string_view winPath, VideoInfo& info) = 0;
  // Starts decoding (on its own thread) and the film clock: 0, or a failure code
  // (kVideoStartNoBuffers when the thread or buffers cannot be made).
  virtual int32_t start() = 0;
  // Waits on the platform clock until the next frame is due (a late caller gets the newest due
  // frame), then converts it into dst16 (pixel (0, 0) of a surface of the given pitch in bytes)
  // at destRect's top-left, clipped to destRect: nothing outside it is written. NoFrame when not
  // started; End after the last frame or a decoding failure.
  virtual VideoFrame next(uint16_t* dst16, int32_t pitch, PixelMasks masks, Rect destRect) = 0;
  // The same into 24-bit rows of bytes in B, G, R order.
  virtual VideoFrame next24(uint8_t* dst24, int32_t pitch, Rect destRect) = 0;
  // Moves the film to ms (clamped to the film); the next frame is the one at that time.
  virtual void seekMs(int64_t ms) = 0;
  // Stops the thread (joined) and forgets the film. Safe to call at any time.
  virtual void close() = 0;
  virtual uint32_t durationMs() const = 0;
  virtual VideoTimes times() const = 0;
  // What went wrong on the decoding thread, once (empty when nothing did); read by the caller
  // after End, so that the thread never logs itself.
  virtual std::string takeError() = 0;
};

using VideoDecoderFactory = std::function<std::unique_ptr<IVideoDecoder>()>;

// A new decoder from the installed factory (the libav* one unless a test installed another);
// null when it cannot be made.
std::unique_ptr<IVideoDecoder> makeVideoDecoder();
// Installs a factory; an empty one goes back to the libav* decoder. Main thread only.
void setVideoDecoderFactory(VideoDecoderFactory factory);

// The libav* decoder; in a build with VELDRA_VIDEO off, the one that answers CannotOpen.
std::unique_ptr<IVideoDecoder> makeLibavVideoDecoder();
// The decoder of a build without libav*: every open answers CannotOpen (NotFound for a missing
// file), so the film is skipped.
std::unique_ptr<IVideoDecoder> makeNoVideoDecoder();
// Whether this build decodes films (VELDRA_VIDEO).
bool videoDecodingBuilt();

// The size a frame of w x h is delivered at: scaled down to fit 800 x 600, keeping the aspect.
void videoFitSize(int32_t w, int32_t h, int32_t& outW, int32_t& outH);
// 0xRRGGBB packed into a 16-bit pixel of the masks' layout (each channel's top bits).
uint16_t videoPack16(uint32_t rgb, PixelMasks masks);
// Whether masks describe a 16-bit layout the decoder can write (three disjoint non-zero masks
// inside 16 bits).
bool videoMasksUsable(PixelMasks masks);

// N synthetic frames of a given size and rate on the platform clock. Frame k is one flat colour
// (frameColour(k)); failures can be injected at every step.
class FakeVideoDecoder : public IVideoDecoder {
 public:
  struct Options {
    int32_t width = 640, height = 480;  // the film's own size (scaled like a real one)
    int32_t frames = 10;
    int32_t fps = 10;
    bool hasVideo = true, hasAudio = false;
    VideoOpen openResult = VideoOpen::Ok;
    int32_t startCode = 0;
    int32_t failAtFrame = -1;  // the decoding "thread" fails here: End, with an error text
  };
  // What every fake decoder made by a factory did; tests read it.
  struct Record {
    int opens = 0, starts = 0, closes = 0, seeks = 0, delivered = 0;
    int64_t lastSeekMs = -1;
    std::string lastPath;
    bool running = false;
  };

  explicit FakeVideoDecoder(Options options, Record* record = nullptr);
  ~FakeVideoDecoder() override;

  // 0xRRGGBB of frame k: R = (k & 31) << 3, G = ((k >> 5) & 63) << 2, B = 0xF8.
  static uint32_t frameColour(int32_t k);
  // A factory making fakes of these options that all report into record.
  static VideoDecoderFactory factory(Options options, Record* record);

  VideoOpen open(std::string_view winPath, VideoInfo& info) override;
  int32_t start() override;
  VideoFrame next(uint16_t* dst16, int32_t pitch, PixelMasks masks, Rect destRect) override;
  VideoFrame next24(uint8_t* dst24, int32_t pitch, Rect destRect) override;
  void seekMs(int64_t ms) override;
  void close() override;
  uint32_t durationMs() const override;
  VideoTimes times() const override { return times_; }
  std::string takeError() override;

 private:
  // The frame to deliver now (waiting for it), or -1 at the end.
  int32_t due();
  // Ok with the frame to draw in k, NoFrame before start, End at the end or an injected failure.
  VideoFrame take(int32_t& k);
  Options o_;
  Record* record_;
  Record own_;
  bool open_ = false, started_ = false;
  int32_t w_ = 0, h_ = 0;
  uint32_t startClock_ = 0;
  int64_t baseMs_ = 0;   // film time at startClock_
  int32_t nextFrame_ = 0;
  VideoTimes times_;
  std::string error_;
};

}  // namespace plat
