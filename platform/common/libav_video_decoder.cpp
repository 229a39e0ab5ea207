// The film decoder on libavformat and libavcodec: a named thread demuxes, decodes and (once the
// caller's pixel layout is known) converts a few frames ahead with libswscale; the caller's thread
// waits on the platform clock until a frame is due and copies it into its rectangle. The thread
// never touches the caller's state: frames, recycled buffers and at most one error text pass under
// the lock. The sound track is reported (hasAudio) but not played: the platform has no mixer
// voice to stream it into yet, so films are silent.
#include "plat/video.h"

#if VELDRA_HAVE_LIBAV

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "plat/files.h"
#include "plat/platform.h"
#include "plat/thread_name.h"

namespace plat {
namespace {

constexpr size_t kQueueFrames = 4;

struct Decoded {
  AVFrame* frame = nullptr;
  int64_t ms = 0;  // film time of the frame
  // The frame already in the screen format of the caller's last masks (converted on the
  // decoding thread, which keeps the caller's share of a frame to a copy).
  std::vector<uint16_t> px;
  PixelMasks masks;
  bool converted = false;
};

bool sameMasks(PixelMasks a, PixelMasks b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

// A converter from decoded frames to one output size: its own libswscale context and scratch,
// so that each thread has one.
struct Converter {
  SwsContext* sws = nullptr;
  std::vector<uint8_t> scratch;
  ~Converter() { sws_freeContext(sws); }

  void scale(AVFrame* f, int32_t w, int32_t h, AVPixelFormat dstFmt, uint8_t* dst, int32_t pitch) {
    sws = sws_getCachedContext(sws, f->width, f->height, static_cast<AVPixelFormat>(f->format), w, h, dstFmt,
                               SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!sws) return;
    uint8_t* planes[4] = {dst, nullptr, nullptr, nullptr};
    int strides[4] = {pitch, 0, 0, 0};
    sws_scale(sws, f->data, f->linesize, 0, f->height, planes, strides);
  }

  // The whole frame, w x h, into out in the masks' layout: libswscale writes 565 and 555 itself;
  // other layouts go through 32-bit pixels packed here.
  void to16(AVFrame* f, int32_t w, int32_t h, PixelMasks masks, std::vector<uint16_t>& out) {
    out.resize(static_cast<size_t>(w) * h);
    AVPixelFormat direct = AV_PIX_FMT_NONE;
    if (sameMasks(masks, {0xF800, 0x07E0, 0x001F})) direct = AV_PIX_FMT_RGB565LE;
    if (sameMasks(masks, {0x7C00, 0x03E0, 0x001F})) direct = AV_PIX_FMT_RGB555LE;
    if (direct != AV_PIX_FMT_NONE) {
      scale(f, w, h, direct, reinterpret_cast<uint8_t*>(out.data()), w * 2);
      return;
    }
    scratch.resize(static_cast<size_t>(w) * 4 * h);
    scale(f, w, h, AV_PIX_FMT_BGR0, scratch.data(), w * 4);
    for (size_t i = 0; i < out.size(); ++i) {
      const uint8_t* p = scratch.data() + 4 * i;
      out[i] = videoPack16(static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0], masks);
    }
  }
};

std::string avError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

class LibavVideoDecoder final : public IVideoDecoder {
 public:
  LibavVideoDecoder() {
    // libav*'s own notes (format guesses, converter remarks) would go to stderr.
    static const bool quiet = [] {
      av_log_set_level(AV_LOG_ERROR);
      return true;
    }();
    (void)quiet;
  }
  ~LibavVideoDecoder() override { close(); }

  VideoOpen open(std::string_view winPath, VideoInfo& info) override {
    close();
    info = VideoInfo{};
    IFileSystem& fs = get().files();
    if (!fs.isFile(winPath)) return VideoOpen::NotFound;
    const std::optional<std::string> host = fs.resolve(winPath, Access::Read);
    if (!host) return VideoOpen::NotFound;
    if (avformat_open_input(&fmt_, host->c_str(), nullptr, nullptr) < 0) {
      fmt_ = nullptr;
      return VideoOpen::CannotOpen;
    }
    if (avformat_find_stream_info(fmt_, nullptr) < 0) return fail(info);
    info.hasAudio = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    const int v = av_find_best_stream(fmt_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (v >= 0) {
      AVStream* s = fmt_->streams[v];
      const AVCodec* codec = avcodec_find_decoder(s->codecpar->codec_id);
      if (!codec || s->codecpar->width <= 0 || s->codecpar->height <= 0) return fail(info);
      ctx_ = avcodec_alloc_context3(codec);
      if (!ctx_ || avcodec_parameters_to_context(ctx_, s->codecpar) < 0 || avcodec_open2(ctx_, codec, nullptr) < 0)
        return fail(info);
      stream_ = v;
      timeBase_ = s->time_base;
      const AVRational rate = av_guess_frame_rate(fmt_, s, nullptr);
      frameMs_ = rate.num > 0 && rate.den > 0 ? std::max<int64_t>(1, av_rescale(1000, rate.den, rate.num)) : 40;
      firstPts_ = s->start_time != AV_NOPTS_VALUE ? s->start_time : 0;
      videoFitSize(s->codecpar->width, s->codecpar->height, w_, h_);
      info.hasVideo = true;
      info.width = w_;
      info.height = h_;
    }
    if (fmt_->duration != AV_NOPTS_VALUE && fmt_->duration > 0) {
      duration_ = static_cast<uint32_t>(fmt_->duration / 1000);
    } else if (v >= 0 && fmt_->streams[v]->duration != AV_NOPTS_VALUE) {
      duration_ = static_cast<uint32_t>(av_rescale_q(fmt_->streams[v]->duration, timeBase_, AVRational{1, 1000}));
    }
    info.durationMs = duration_;
    return VideoOpen::Ok;
  }

  int32_t start() override {
    if (!fmt_ || !ctx_) return kVideoStartNoBuffers;
    if (thread_.joinable()) return 0;
    {
      std::lock_guard<std::mutex> lock(m_);
      quit_ = false;
      eof_ = false;
      seekTo_ = -1;
    }
    try {
      thread_ = std::thread([this] { run(); });
    } catch (...) {
      return kVideoStartNoBuffers;
    }
    clockStart_ = get().clock().ms();
    filmBase_ = 0;
    return 0;
  }

  VideoFrame next(uint16_t* dst16, int32_t pitch, PixelMasks masks, Rect r) override {
    {
      std::lock_guard<std::mutex> lock(m_);
      masks_ = masks;
      haveMasks_ = true;
    }
    Decoded d;
    const VideoFrame got = take(d);
    if (got != VideoFrame::Ok) return got;
    if (!d.converted || !sameMasks(d.masks, masks)) main_.to16(d.frame, w_, h_, masks, d.px);
    const int32_t w = std::min(r.width(), w_), h = std::min(r.height(), h_);
    auto* base = reinterpret_cast<uint8_t*>(dst16);
    for (int32_t y = 0; y < h && w > 0; ++y)
      std::copy_n(d.px.data() + static_cast<size_t>(y) * w_, w,
                  reinterpret_cast<uint16_t*>(base + static_cast<int64_t>(r.top + y) * pitch) + r.left);
    av_frame_free(&d.frame);
    recycle(d);
    return VideoFrame::Ok;
  }

  VideoFrame next24(uint8_t* dst24, int32_t pitch, Rect r) override {
    Decoded d;
    const VideoFrame got = take(d);
    if (got != VideoFrame::Ok) return got;
    AVFrame* f = d.frame;
    const int32_t w = std::min(r.width(), w_), h = std::min(r.height(), h_);
    if (w > 0 && h > 0) {
      if (w == w_ && h == h_) {
        main_.scale(f, w_, h_, AV_PIX_FMT_BGR24,
                    dst24 + static_cast<int64_t>(r.top) * pitch + static_cast<int64_t>(r.left) * 3, pitch);
      } else {
        std::vector<uint8_t>& rows = main_.scratch;
        rows.resize(static_cast<size_t>(w_) * 3 * h_);
        main_.scale(f, w_, h_, AV_PIX_FMT_BGR24, rows.data(), w_ * 3);
        for (int32_t y = 0; y < h; ++y)
          std::copy_n(rows.data() + static_cast<size_t>(y) * w_ * 3, static_cast<size_t>(w) * 3,
                      dst24 + static_cast<int64_t>(r.top + y) * pitch + static_cast<int64_t>(r.left) * 3);
      }
    }
    av_frame_free(&f);
    return VideoFrame::Ok;
  }

  void seekMs(int64_t ms) override {
    if (!thread_.joinable()) return;
    const int64_t d = duration_;
    ms = std::clamp<int64_t>(ms, 0, d > 0 ? d - 1 : 0);
    {
      std::lock_guard<std::mutex> lock(m_);
      clearQueue();
      seekTo_ = ms;
      eof_ = false;
    }
    cv_.notify_all();
    clockStart_ = get().clock().ms();
    filmBase_ = ms;
  }

  void close() override {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(m_);
        quit_ = true;
      }
      cv_.notify_all();
      thread_.join();
    }
    clearQueue();
    if (ctx_) avcodec_free_context(&ctx_);
    if (fmt_) avformat_close_input(&fmt_);
    haveMasks_ = false;
    stream_ = -1;
    w_ = h_ = 0;
    duration_ = 0;
    times_ = VideoTimes{};
  }

  uint32_t durationMs() const override { return duration_; }
  VideoTimes times() const override { return times_; }
  std::string takeError() override {
    std::lock_guard<std::mutex> lock(m_);
    std::string e;
    e.swap(error_);
    return e;
  }

 private:
  VideoOpen fail(VideoInfo& info) {
    close();
    info = VideoInfo{};
    return VideoOpen::CannotOpen;
  }

  // Film time now on the platform clock.
  int64_t filmNow() { return filmBase_ + static_cast<int64_t>(get().clock().ms() - clockStart_); }

  // Waits for the due frame: the first queued one once its time has come, or the newest of those
  // already due when the caller is late.
  VideoFrame take(Decoded& out) {
    if (!thread_.joinable()) return VideoFrame::NoFrame;
    std::unique_lock<std::mutex> lock(m_);
    cv_.wait(lock, [&] { return !queue_.empty() || eof_; });
    if (queue_.empty()) return VideoFrame::End;
    const int64_t wait = queue_.front().ms - filmNow();
    if (wait > 0) {
      lock.unlock();
      get().clock().sleepMs(static_cast<uint32_t>(wait));
      lock.lock();
      cv_.wait(lock, [&] { return !queue_.empty() || eof_; });
      if (queue_.empty()) return VideoFrame::End;
    }
    for (;;) {
      // Only a caller who is late waits for the following frame to see whether it is due too.
      if (queue_.front().ms + frameMs_ > filmNow()) break;
      cv_.wait(lock, [&] { return queue_.size() >= 2 || eof_; });
      if (queue_.size() < 2 || queue_[1].ms > filmNow()) break;
      av_frame_free(&queue_.front().frame);
      queue_.pop_front();
      cv_.notify_all();
    }
    out = std::move(queue_.front());
    queue_.pop_front();
    cv_.notify_all();
    times_ = VideoTimes{out.ms, out.ms + frameMs_, filmNow()};
    return VideoFrame::Ok;
  }

  // The frame's pixel buffer goes back to the thread, sparing an allocation per frame.
  void recycle(Decoded& d) {
    std::lock_guard<std::mutex> lock(m_);
    if (spare_.size() < kQueueFrames + 1) spare_.push_back(std::move(d.px));
  }

  void clearQueue() {
    for (Decoded& d : queue_) av_frame_free(&d.frame);
    queue_.clear();
  }

  // ---- the decoding thread ----

  void run() {
    setCurrentThreadName("video decode");
    try {
      decodeAll();
    } catch (const std::exception& e) {
      std::lock_guard<std::mutex> lock(m_);
      error_ = std::string("video decoding failed: ") + e.what();
    } catch (...) {
      std::lock_guard<std::mutex> lock(m_);
      error_ = "video decoding failed";
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      eof_ = true;
    }
    cv_.notify_all();
  }

  // Pushes one decoded frame, waiting for room; false when told to quit or to seek.
  bool push(AVFrame* f, int64_t dropBefore) {
    const int64_t pts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
    const int64_t ms = pts == AV_NOPTS_VALUE ? 0 : av_rescale_q(pts - firstPts_, timeBase_, AVRational{1, 1000});
    if (ms + frameMs_ <= dropBefore) return true;
    Decoded d;
    d.ms = ms;
    d.frame = av_frame_alloc();
    if (!d.frame) throw std::runtime_error("out of memory");
    av_frame_move_ref(d.frame, f);
    std::unique_lock<std::mutex> lock(m_);
    if (haveMasks_) {
      if (!spare_.empty()) {
        d.px = std::move(spare_.back());
        spare_.pop_back();
      }
      d.masks = masks_;
      d.converted = true;
      lock.unlock();
      thread_conv_.to16(d.frame, w_, h_, d.masks, d.px);
      lock.lock();
    }
    cv_.wait(lock, [&] { return quit_ || seekTo_ >= 0 || queue_.size() < kQueueFrames; });
    if (quit_ || seekTo_ >= 0) {
      av_frame_free(&d.frame);
      return false;
    }
    queue_.push_back(std::move(d));
    cv_.notify_all();
    return true;
  }

  void decodeAll() {
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    if (!pkt || !frame) {
      av_packet_free(&pkt);
      av_frame_free(&frame);
      throw std::runtime_error("out of memory");
    }
    struct Free {
      AVPacket*& p;
      AVFrame*& f;
      ~Free() {
        av_packet_free(&p);
        av_frame_free(&f);
      }
    } release{pkt, frame};
    int64_t dropBefore = -1;
    bool draining = false;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(m_);
        if (quit_) return;
        if (seekTo_ >= 0) {
          const int64_t target = seekTo_;
          seekTo_ = -1;
          eof_ = false;
          lock.unlock();
          const int64_t ts = av_rescale_q(target, AVRational{1, 1000}, timeBase_) + firstPts_;
          av_seek_frame(fmt_, stream_, ts, AVSEEK_FLAG_BACKWARD);
          avcodec_flush_buffers(ctx_);
          dropBefore = target;
          draining = false;
        }
      }
      if (draining) {
        // Everything decoded: wait until told to quit or seek, so that a seek after the end works.
        std::unique_lock<std::mutex> lock(m_);
        eof_ = true;
        cv_.notify_all();
        cv_.wait(lock, [&] { return quit_ || seekTo_ >= 0; });
        continue;
      }
      const int rc = av_read_frame(fmt_, pkt);
      if (rc < 0 && rc != AVERROR_EOF) throw std::runtime_error("read: " + avError(rc));
      if (rc == AVERROR_EOF) {
        avcodec_send_packet(ctx_, nullptr);
        draining = true;
        drain(frame, dropBefore);
        continue;
      }
      if (pkt->stream_index == stream_) {
        for (;;) {
          const int s = avcodec_send_packet(ctx_, pkt);
          if (s == AVERROR(EAGAIN)) {
            if (!drain(frame, dropBefore)) break;
            continue;
          }
          if (s < 0 && s != AVERROR_INVALIDDATA) {
            av_packet_unref(pkt);
            throw std::runtime_error("decode: " + avError(s));
          }
          break;
        }
        drain(frame, dropBefore);
      }
      av_packet_unref(pkt);
    }
  }

  // Hands every frame the codec has ready to the queue; false when a quit or seek came.
  bool drain(AVFrame* frame, int64_t dropBefore) {
    for (;;) {
      const int rc = avcodec_receive_frame(ctx_, frame);
      if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
      if (rc < 0) throw std::runtime_error("decode: " + avError(rc));
      if (!push(frame, dropBefore)) {
        av_frame_unref(frame);
        return false;
      }
    }
  }

  AVFormatContext* fmt_ = nullptr;
  AVCodecContext* ctx_ = nullptr;
  Converter main_;         // the caller's thread
  Converter thread_conv_;  // the decoding thread
  int stream_ = -1;
  AVRational timeBase_{1, 1000};
  int64_t firstPts_ = 0;
  int64_t frameMs_ = 40;
  int32_t w_ = 0, h_ = 0;
  uint32_t duration_ = 0;
  uint32_t clockStart_ = 0;
  int64_t filmBase_ = 0;
  VideoTimes times_;

  std::thread thread_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::deque<Decoded> queue_;
  bool quit_ = false, eof_ = false;
  int64_t seekTo_ = -1;
  PixelMasks masks_;  // the caller's last, for the thread's conversion
  bool haveMasks_ = false;
  std::vector<std::vector<uint16_t>> spare_;
  std::string error_;
};

}  // namespace

std::unique_ptr<IVideoDecoder> makeLibavVideoDecoder() { return std::make_unique<LibavVideoDecoder>(); }
bool videoDecodingBuilt() { return true; }

}  // namespace plat

#else

namespace plat {
std::unique_ptr<IVideoDecoder> makeLibavVideoDecoder() { return makeNoVideoDecoder(); }
bool videoDecodingBuilt() { return false; }
}  // namespace plat

#endif
