// JpegCodecRead on arbitrary streams. An 8-byte header chooses the read: mode (and whether a
// parameter read comes first, and the interrupt), the processor class and instruction set, the
// pixel buffer's format, its size and a region; the rest is the stream. The buffer is allocated exactly, so any stray write is a
// sanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jpeg/jcodec.h"
#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"

namespace {

const int kModes[] = {1, 3, 7, 15, 17, 19, 21, 0, 2, 6};

struct Format {
  int channels, color;
};
const Format kFormats[] = {{3, JPEG_COLOR_BGR}, {3, JPEG_COLOR_RGB}, {1, JPEG_COLOR_GRAY}, {4, JPEG_COLOR_QUAD},
                           {3, JPEG_COLOR_YCBCR}, {3, JPEG_COLOR_OTHER}, {5, JPEG_COLOR_OTHER}, {4, JPEG_COLOR_BGR}};

const uint32_t kClasses[] = {0, 3, 5, 6};

struct MemFile {
  const uint8_t* data;
  size_t size;
  int64_t pos;
};
struct Source {
  const uint8_t* data;
  size_t size;
};

void* open_read(const char*, void* ctx) {
  auto* s = static_cast<Source*>(ctx);
  return new MemFile{s->data, s->size, 0};
}
void* open_write(const char*, void*) { return nullptr; }
int64_t read(void* f, void* dst, size_t n, void*) {
  auto* m = static_cast<MemFile*>(f);
  if (m->pos >= int64_t(m->size)) return 0;
  size_t k = std::min(n, m->size - size_t(m->pos));
  if (k > 1000) k = 1000;  // short reads
  std::memcpy(dst, m->data + m->pos, k);
  m->pos += int64_t(k);
  return int64_t(k);
}
int64_t write(void*, const void*, size_t, void*) { return -1; }
int64_t seek(void* f, int64_t off, int whence, void*) {
  auto* m = static_cast<MemFile*>(f);
  int64_t base = whence == 0 ? 0 : whence == 1 ? m->pos : int64_t(m->size);
  if (base + off < 0) return -1;
  m->pos = base + off;
  return m->pos;
}
int32_t close(void* f, void*) {
  delete static_cast<MemFile*>(f);
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  const uint8_t* h = data;
  const uint8_t* jpeg = data + 8;
  const size_t jsize = size - 8;
  const int mode = kModes[(h[0] & 15) % 10];
  const bool pair = h[0] & 0x80, interrupt = h[0] & 0x40;
  jpeg_pin_class(kClasses[(h[0] >> 4) & 3]);
  jpeg_force_sse2(h[1] & 0x08);
  const Format fmt = kFormats[h[1] & 7];
  const bool fast = h[1] & 0x10;
  const int pad = (h[1] >> 5) & 3;
  const bool bottom_up = h[1] & 0x80;
  const int w = h[2] + 1, hh = h[3] + 1;
  const int bpp = fmt.color == JPEG_COLOR_YCBCR ? 2 : fmt.channels;
  std::vector<uint8_t> dib(size_t(hh) * size_t(w * bpp + pad));

  Source src{jpeg, jsize};
  JpegFileOps ops{open_read, open_write, read, write, seek, close, &src};
  std::vector<uint8_t> bytes(jpeg, jpeg + jsize);  // exactly sized too

  JPEG_IMAGE_PROPS p{};
  if (JpegCodecInit(&p) != 0) return 0;
  p.state.file_ops = &ops;
  p.jpg_file = "fuzz.jpg";
  p.jpg_bytes = bytes.data();
  p.jpg_size_bytes = int32_t(jsize);
  if (pair) JpegCodecRead(&p, 1);
  p.dib_bytes = dib.data();
  p.dib_width = w;
  p.dib_height = bottom_up ? -hh : hh;
  p.dib_pad_bytes = pad;
  p.dib_channels = fmt.channels;
  p.dib_color = fmt.color;
  p.dib_subsampling = fmt.color == JPEG_COLOR_YCBCR ? 2 : 0;
  p.state.roi = JpegRect{h[4], h[5], h[6], h[7]};
  p.state.dct_method = fast ? 0 : 1;
  char comment[16];
  p.state.jpeg_comment = comment;
  p.state.jpeg_comment_size = sizeof comment;
  int rc = 1;
  for (int calls = 0; rc == 1 && calls < 64; ++calls) {
    p.state.interrupt_request = interrupt ? 1 : 0;
    rc = JpegCodecRead(&p, pair ? 7 : mode);
  }
  JpegCodecFree(&p);
  return 0;
}
