// Shared helpers of the codec tests: the fixture files made by cjpeg, jpegtran and djpeg (and
// ad-hoc encodes through libjpeg-turbo's API), decodes through our codec into guarded pixel
// buffers, comparisons and the processor-class pin.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "jpeg/jcodec.h"
#include "tools/jpegfixtures/fixture_set.h"
#include "tools/jpegwriter/jpegref.h"

namespace jt {

using jpegref::Image;
using Bytes = std::vector<uint8_t>;

// The processor class every codec test runs with (0 unless the program was given --jpeg-class).
int pinned_class();
// The vector classes (3 to 6), whose colour kernels floor the red and blue terms.
bool vector_class();
// The MCU of pixel (x, y), MCUs of mw x mh counted from the image origin, lies wholly inside
// area. Only such MCUs reach the colour kernels of the slots; clipped ones keep the generic
// arithmetic in every class.
bool whole_mcu(int x, int y, int mw, int mh, const JpegRect& area);

// Source picture of the given size as 3-channel RGB (or 1 or 4 channels), cached.
const Image& source(int w, int h, int ch = 3);
// A baseline encode of source(w, h) with component 0 sampled h0 x v0, cached by name.
Bytes encode(int w, int h, const jpegref::EncodeOpts& o, int ch = 3);

// A pixel buffer with guard bytes around it and in its row padding.
struct DibSpec {
  int channels = 3;
  int color = JPEG_COLOR_BGR;
  int pad = 0;
  bool bottom_up = false;  // negative dib_height
};

struct Dib {
  DibSpec spec;
  int w = 0, h = 0;
  size_t line = 0;
  std::vector<uint8_t> bytes;  // guard + rows + guard
  static constexpr size_t kGuard = 64;
  static constexpr uint8_t kCanary = 0xA5;
  Dib(int w_, int h_, const DibSpec& s);
  uint8_t* data() { return bytes.data() + kGuard; }
  int bpp() const { return spec.color == JPEG_COLOR_YCBCR ? 2 : spec.channels; }
  // Guards and padding still hold the canary.
  bool guards_intact() const;
  // Pixels as an image, rows in image order (undoing a bottom-up buffer) and R,G,B order for
  // B,G,R buffers.
  Image image() const;
};

struct Decoded {
  int rc = 0;
  int rc_params = 0;
  Image img;
  bool guards = true;
  JPEG_IMAGE_PROPS after{};  // caller fields after the read
};

// init, mode 1, set the buffer (size ceil(dim / scale) or the region), read `mode`, free.
Decoded decode(const Bytes& jpeg, int mode = 3, const DibSpec& spec = {}, JpegRect roi = {}, int dct_method = 1);

// One write through our encoder from a picture laid out as the buffer colour wants it: R,G,B
// and grey pictures as they are, B,G,R with bytes 0 and 2 swapped, a fourth byte added (or kept)
// for four-byte buffers; YCbCr and "other" buffers take the picture's bytes unchanged.
struct WriteOpts {
  int dib_color = JPEG_COLOR_BGR, dib_channels = 3;
  int jpg_color = JPEG_COLOR_YCBCR, jpg_channels = 3, sampling = 1;
  int quality = 75, dct = 1, restart = 0;
  bool progressive = false;
  int mode = JPEG_WRITE_IMAGE_MEM;
  bool bottom_up = false;
  size_t out_size = 0;  // 0: room enough
};
struct Written {
  int rc = 0;
  Bytes jpeg;
};
// The buffer bytes of a picture for a write (rows top-down, no padding).
Bytes dib_bytes(const Image& img, const WriteOpts& s);
Written write(const Image& img, const WriteOpts& s);

// Largest channel difference and PSNR of two images of the same shape.
struct Diff {
  int max = 0;
  double psnr = 0;
};
Diff compare(const Image& a, const Image& b);
// The crop [x0, x0 + w) x [y0, y0 + h) of an image.
Image crop(const Image& img, int x0, int y0, int w, int h);

// With VELDRA_TEST_DUMP set, writes <name>.ppm into that folder: our decode on the left, the
// djpeg reference on the right (grey pictures as grey R,G,B; a fourth channel dropped).
void dump(const std::string& name, const Image& ours, const Image& ref);

// Splits a stream into its segments (marker, payload incl. length) and the entropy data that
// follows each SOS, so tests can splice streams.
struct Segment {
  int marker = 0;
  Bytes body;  // everything after the marker bytes (length, payload, and entropy data for SOS)
};
std::vector<Segment> split(const Bytes& jpeg);
Bytes join(const std::vector<Segment>& segs);

// Fails the n-th allocation (counting from 0) and counts the live blocks.
struct FailingAlloc {
  int fail_at = -1;
  int count = 0;
  int live = 0;
  static void* alloc(size_t size, size_t align, void* ctx) {
    auto* f = static_cast<FailingAlloc*>(ctx);
    if (f->count++ == f->fail_at) return nullptr;
    ++f->live;
    return ::operator new(size, std::align_val_t(align), std::nothrow);
  }
  static void release(void* p, void* ctx) {
    --static_cast<FailingAlloc*>(ctx)->live;
    ::operator delete(p, std::align_val_t(32));
  }
};

}  // namespace jt

namespace jt {

// In-memory files for the codec's file modes (reads and writes), with injected failures.
struct MemFiles {
  std::map<std::string, Bytes> files;
  size_t max_read = 4096;     // short reads: at most this many bytes per read
  int64_t eof_at = -1;        // reads at or past this offset return 0 bytes
  bool fail_seek = false;
  bool fail_close = false;
  bool fail_open_write = false;
  int64_t write_limit = -1;  // writes stop short once a written file would pass this size
  int opens = 0, closes = 0, writes = 0;
  JpegFileOps ops();
};

}  // namespace jt
