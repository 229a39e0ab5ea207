// The bare decode loop the film decoder is measured against.
#include "bench/video_bench.h"

#if VELDRA_HAVE_LIBAV
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <vector>

namespace plat::video_bench {

int64_t bareDecodeTo565(const std::string& hostPath) {
  AVFormatContext* fmt = nullptr;
  if (avformat_open_input(&fmt, hostPath.c_str(), nullptr, nullptr) < 0) return -1;
  int64_t frames = -1;
  AVCodecContext* ctx = nullptr;
  SwsContext* sws = nullptr;
  AVPacket* pkt = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<uint16_t> out(800 * 600);
  const int stream = avformat_find_stream_info(fmt, nullptr) < 0
                         ? -1
                         : av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const AVCodec* codec = stream >= 0 ? avcodec_find_decoder(fmt->streams[stream]->codecpar->codec_id) : nullptr;
  if (codec && pkt && frame && (ctx = avcodec_alloc_context3(codec)) &&
      avcodec_parameters_to_context(ctx, fmt->streams[stream]->codecpar) >= 0 && avcodec_open2(ctx, codec, nullptr) >= 0) {
    frames = 0;
    auto receive = [&] {
      while (avcodec_receive_frame(ctx, frame) >= 0) {
        sws = sws_getCachedContext(sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                   frame->width, frame->height, AV_PIX_FMT_RGB565LE, SWS_BILINEAR, nullptr, nullptr,
                                   nullptr);
        uint8_t* planes[4] = {reinterpret_cast<uint8_t*>(out.data()), nullptr, nullptr, nullptr};
        int strides[4] = {1600, 0, 0, 0};
        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
        ++frames;
      }
    };
    while (av_read_frame(fmt, pkt) >= 0) {
      if (pkt->stream_index == stream && avcodec_send_packet(ctx, pkt) >= 0) receive();
      av_packet_unref(pkt);
    }
    avcodec_send_packet(ctx, nullptr);
    receive();
  }
  sws_freeContext(sws);
  av_frame_free(&frame);
  av_packet_free(&pkt);
  avcodec_free_context(&ctx);
  avformat_close_input(&fmt);
  return frames;
}

}  // namespace plat::video_bench
#else
namespace plat::video_bench {
int64_t bareDecodeTo565(const std::string&) { return -1; }
}  // namespace plat::video_bench
#endif
