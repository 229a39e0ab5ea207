// JpegCodecWrite on arbitrary pictures and settings. A 12-byte header chooses the write: mode
// (memory modes, and file modes through an in-memory JpegFileOps), colour pair, sampling code,
// quality, transform family, restart interval, progressive switch, comment, interrupt, output
// size and caller coefficients instead of pixels; the rest is the pixels (or coefficients). The
// pixel buffer and the output are allocated exactly, so any stray access is a sanitizer report.
// A complete stream that the write calls a success must decode with our decoder.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "jpeg/jcodec.h"
#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"

namespace {

struct Pair {
  int dib_color, dib_channels, jpg_color, jpg_channels;
};
const Pair kPairs[] = {
    {4, 1, 4, 1}, {4, 1, 3, 3}, {1, 3, 4, 1}, {1, 3, 1, 3}, {1, 3, 3, 3},     {1, 4, 3, 3},     {2, 3, 4, 1},
    {2, 3, 1, 3}, {2, 3, 3, 3}, {5, 4, 5, 4}, {5, 4, 6, 4}, {3, 3, 3, 3},     {255, 3, 255, 3}, {255, 4, 255, 2},
    {255, 5, 255, 4}, {255, 1, 255, 1},
};

const int kModes[] = {9, 8, 13, 12, 11, 10};

// The sampling code for a component count from a 2-bit choice.
int sampling(int nc, int pick) {
  if (nc == 3) return pick % 3;
  if (nc == 4) return (pick % 3) == 0 ? 0 : 2 + pick % 3;
  return 0;
}

// In-memory files: one output, written through the record's file operations.
struct Sink {
  std::vector<uint8_t> bytes;
};
void* open_read(const char*, void*) { return nullptr; }
void* open_write(const char*, void* ctx) {
  auto* s = static_cast<Sink*>(ctx);
  s->bytes.clear();
  return s;
}
int64_t read(void*, void*, size_t, void*) { return -1; }
int64_t write(void* f, const void* src, size_t n, void*) {
  auto* s = static_cast<Sink*>(f);
  const auto* b = static_cast<const uint8_t*>(src);
  s->bytes.insert(s->bytes.end(), b, b + n);
  return int64_t(n);
}
int64_t seek(void*, int64_t, int, void*) { return -1; }
int32_t close(void*, void*) { return 0; }

// Our decoder reads the stream into a buffer of the stream's own kind.
void must_decode(const std::vector<uint8_t>& jpeg, const Pair& pr, int w, int h) {
  int color = JPEG_COLOR_BGR, channels = 3;
  switch (pr.jpg_color) {
    case JPEG_COLOR_GRAY: color = JPEG_COLOR_GRAY, channels = 1; break;
    case JPEG_COLOR_QUAD: case JPEG_COLOR_YCC4: color = JPEG_COLOR_QUAD, channels = 4; break;
    case JPEG_COLOR_OTHER: color = JPEG_COLOR_OTHER, channels = pr.jpg_channels; break;
    default: break;
  }
  std::vector<uint8_t> in = jpeg, dib(size_t(w) * h * channels);
  JPEG_IMAGE_PROPS p{};
  if (JpegCodecInit(&p) != 0) return;
  p.jpg_bytes = in.data();
  p.jpg_size_bytes = int32_t(in.size());
  p.dib_bytes = dib.data();
  p.dib_width = w;
  p.dib_height = h;
  p.dib_channels = channels;
  p.dib_color = color;
  p.jpg_color = pr.jpg_color;
  p.jpg_channels = pr.jpg_channels;
  const int rc = JpegCodecRead(&p, 3);
  JpegCodecFree(&p);
  if (rc != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 13) return 0;
  const uint8_t* h = data;
  const uint8_t* rest = data + 12;
  const size_t rest_size = size - 12;
  const int mode = kModes[(h[0] & 7) % 6];
  const bool progressive = h[0] & 0x08, interrupt = h[0] & 0x10, planar = h[0] & 0x20, fast = h[0] & 0x40;
  const bool comment = h[0] & 0x80;
  const Pair pr = kPairs[h[1] & 15];
  const int code = sampling(pr.jpg_channels, h[1] >> 4);
  const int quality = h[2] % 101;  // 0 is clamped to 1 by the table scaling
  const int restart = h[3];
  const int w = h[4] % 80 + 1, hh = h[5] % 80 + 1;
  const size_t out_size = (size_t(h[6]) << 8 | h[7]) == 0 ? size_t(w) * hh * 8 + 4096 : (size_t(h[6]) << 8 | h[7]);
  const int pad = h[8] & 3;
  const bool bottom_up = h[8] & 4;
  const bool plane_samples = h[8] & 8;
  // the processor class of this write and of the read that checks it, and the instruction set
  static const uint32_t kClasses[] = {0, 3, 5, 6};
  jpeg_pin_class(kClasses[(h[8] >> 4) & 3]);
  jpeg_force_sse2(h[8] & 0x40);

  // pixels (or coefficient planes) from the rest of the input, repeated as needed
  const int bpp = pr.dib_channels;
  std::vector<uint8_t> dib(size_t(hh) * size_t(w * bpp + pad));
  for (size_t i = 0; i < dib.size(); ++i) dib[i] = rest[i % rest_size];
  const int mw = 16, mh = 16;  // enough for every sampling
  const size_t blocks_w = size_t((w + mw - 1) / mw) * 2, blocks_h = size_t((hh + mh - 1) / mh) * 2;
  std::vector<std::vector<int16_t>> planes;
  JpegPlanar pl{};
  if (planar) {
    pl.mode = plane_samples ? 1 : 0;
    for (int c = 0; c < pr.jpg_channels && c < 4; ++c) {
      planes.emplace_back(blocks_w * blocks_h * 64);
      auto& v = planes.back();
      for (size_t i = 0; i < v.size(); ++i) {
        const size_t k = (2 * i + size_t(c) * 7) % rest_size;
        v[i] = int16_t(rest[k] | rest[(k + 1) % rest_size] << 8);
        if (pl.mode) v[i] = int16_t(v[i] & 255);  // samples
        else if (h[9] & 1) v[i] = int16_t(v[i] >> 6);  // mostly in range, sometimes not
      }
      pl.planes[c] = v.data();
    }
  }

  std::vector<uint8_t> out(out_size);
  Sink sink;
  JpegFileOps ops{open_read, open_write, read, write, seek, close, &sink};
  std::string text(size_t(h[10]) * 300, 'c');

  JPEG_IMAGE_PROPS p{};
  if (JpegCodecInit(&p) != 0) return 0;
  p.state.file_ops = &ops;
  p.jpg_file = "fuzz.jpg";
  p.jpg_bytes = out.data();
  p.jpg_size_bytes = int32_t(out.size());
  p.dib_bytes = dib.data();
  p.dib_width = w;
  p.dib_height = bottom_up ? -hh : hh;
  p.dib_pad_bytes = pad;
  p.dib_channels = pr.dib_channels;
  p.dib_color = pr.dib_color;
  p.jpg_width = w;
  p.jpg_height = hh;
  p.jpg_channels = pr.jpg_channels;
  p.jpg_color = pr.jpg_color;
  p.jpg_subsampling = code;
  p.quality = quality;
  p.state.dct_method = fast ? 0 : 1;
  p.state.restart_interval = restart;
  p.state.progressive_switch = progressive;
  if (planar) p.state.planar = &pl;
  if (comment) {
    p.state.jpeg_comment = text.data();
    p.state.jpeg_comment_size = uint16_t(text.size());
  }
  int rc = 1;
  for (int calls = 0; rc == 1 && calls < 4096; ++calls) {
    p.state.interrupt_request = interrupt ? 1 : 0;
    rc = JpegCodecWrite(&p, mode);
  }
  const int32_t written = p.jpg_size_bytes;
  p.state.planar = nullptr;
  JpegCodecFree(&p);
  if (rc == 0 && (mode == 8 || mode == 9)) {
    const std::vector<uint8_t> stream =
        mode == 8 ? sink.bytes : std::vector<uint8_t>(out.begin(), out.begin() + written);
    must_decode(stream, pr, w, hh);
  }
  return 0;
}
