// The baseline writer: markers and the block loop around the codec's encode-side pieces.
#include "tools/jpegbaseline/jpeg_baseline.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "jpeg/internal.h"

namespace jpegbase {

namespace {

constexpr int kComponents = 3;

void check(int32_t rc, const char* what) {
  if (rc != 0) throw std::runtime_error(std::string("jpeg writer: ") + what + " failed with " + std::to_string(rc));
}

struct Writer {
  JPEG_DISPATCH_TABLE table{};
  JpegOutput out{};
  std::vector<uint8_t> buffer;

  explicit Writer(size_t capacity) : buffer(capacity) {
    jcodec::JpegInitKernelsGeneric(&table);
    check(jcodec::jpeg_output_init(&out, buffer.data(), buffer.size()), "output");
  }
  void bytes(std::initializer_list<uint8_t> b) {
    const std::vector<uint8_t> v(b);
    check(table.jpeg_output_bytes(v.data(), v.size(), &out), "marker");
  }
  void u16(int v) { bytes({static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}); }
};

// Level-shifted YCbCr samples of one 8 x 8 block, edges repeated past the picture.
void sampleBlock(int width, int height, const std::vector<uint8_t>& rgb, int bx, int by, int16_t out[3][64]) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const int px = std::min(bx + x, width - 1), py = std::min(by + y, height - 1);
      const uint8_t* p = &rgb[(static_cast<size_t>(py) * width + px) * 3];
      const double r = p[0], g = p[1], b = p[2];
      const double yy = 0.299 * r + 0.587 * g + 0.114 * b;
      const double cb = -0.168736 * r - 0.331264 * g + 0.5 * b + 128.0;
      const double cr = 0.5 * r - 0.418688 * g - 0.081312 * b + 128.0;
      const double v[3] = {yy, cb, cr};
      for (int c = 0; c < kComponents; ++c)
        out[c][y * 8 + x] = static_cast<int16_t>(std::lround(std::clamp(v[c], 0.0, 255.0)) - 128);
    }
  }
}

}  // namespace

std::vector<uint8_t> encode_rgb(int width, int height, const std::vector<uint8_t>& rgb, int quality) {
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535 ||
      rgb.size() != static_cast<size_t>(width) * height * 3)
    throw std::invalid_argument("jpeg writer: bad picture size");

  // Tables: quantisers in zigzag order for DQT, reciprocals in natural order for the quantiser.
  int16_t quant[2][64];
  jcodec::scale_quant_table(quality, jcodec::kStdLumaQuant, quant[0]);
  jcodec::scale_quant_table(quality, jcodec::kStdChromaQuant, quant[1]);
  int16_t recip[2][80];
  jcodec::prepare_accurate_encoder(quant[0], recip[0]);
  jcodec::prepare_accurate_encoder(quant[1], recip[1]);
  JpegHuffEncode dc[2], ac[2];
  check(jcodec::build_encode_table(jcodec::kDcLumaBits, jcodec::kDcLumaVals, &dc[0]), "DC table");
  check(jcodec::build_encode_table(jcodec::kDcChromaBits, jcodec::kDcChromaVals, &dc[1]), "DC table");
  check(jcodec::build_encode_table(jcodec::kAcLumaBits, jcodec::kAcLumaVals, &ac[0]), "AC table");
  check(jcodec::build_encode_table(jcodec::kAcChromaBits, jcodec::kAcChromaVals, &ac[1]), "AC table");

  // Entropy data stays well under the raw size for the pictures this writer is for; the
  // output refuses, rather than overruns, a buffer that is too small.
  Writer w(rgb.size() * 2 + 4096);
  w.bytes({0xFF, 0xD8});  // SOI
  check(jcodec::write_dqt(&w.out, &w.table, 0, 0, quant[0]), "DQT");
  check(jcodec::write_dqt(&w.out, &w.table, 0, 1, quant[1]), "DQT");
  // SOF0: 8-bit samples, three components at 1 x 1, luma on table 0, chroma on table 1.
  w.bytes({0xFF, 0xC0});
  w.u16(8 + 3 * kComponents);
  w.bytes({8});
  w.u16(height);
  w.u16(width);
  w.bytes({kComponents, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1});
  check(jcodec::write_dht(&w.out, &w.table, jcodec::kDcLumaBits, jcodec::kDcLumaVals, 0, 0), "DHT");
  check(jcodec::write_dht(&w.out, &w.table, jcodec::kAcLumaBits, jcodec::kAcLumaVals, 1, 0), "DHT");
  check(jcodec::write_dht(&w.out, &w.table, jcodec::kDcChromaBits, jcodec::kDcChromaVals, 0, 1), "DHT");
  check(jcodec::write_dht(&w.out, &w.table, jcodec::kAcChromaBits, jcodec::kAcChromaVals, 1, 1), "DHT");
  // SOS: all three components, spectral 0..63, no approximation.
  w.bytes({0xFF, 0xDA});
  w.u16(6 + 2 * kComponents);
  w.bytes({kComponents, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});

  int32_t lastDc[kComponents] = {};
  int16_t block[kComponents][64];
  for (int by = 0; by < height; by += 8) {
    for (int bx = 0; bx < width; bx += 8) {
      sampleBlock(width, height, rgb, bx, by, block);
      for (int c = 0; c < kComponents; ++c) {
        const int t = c == 0 ? 0 : 1;
        jcodec::fdct_accurate(block[c]);
        jcodec::quantize_accurate(block[c], recip[t]);
        check(jcodec::encode_block(&w.out, &dc[t], &ac[t], &lastDc[c], block[c]), "block");
      }
    }
  }
  // The last byte is padded with one bits, as the format asks.
  if (w.out.free_bits < 8) check(jcodec::put_bits(&w.out, (1u << w.out.free_bits) - 1, w.out.free_bits), "padding");
  check(jcodec::finish_output(&w.out, &w.table), "flush");
  w.bytes({0xFF, 0xD9});  // EOI
  w.buffer.resize(w.out.cur);
  return std::move(w.buffer);
}

}  // namespace jpegbase
