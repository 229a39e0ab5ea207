// Helpers of the MPEG audio decoder suites: whole decodes through the decoder stream, layer I
// streams from mpawrite, a frame source over bytes for the layer decoders, and differences in
// 16-bit steps.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/mpeg_audio_stream.h"
#include "tests/support/memory_stream.h"
#include "tools/mpawrite/mpawrite.h"

namespace mpa_test {

struct Decoded {
  int rc = -1;
  int rate = 0, stereo = 0;
  int64_t size = 0, frameBytes = 0;
  std::vector<uint8_t> pcm;  // everything read, flush frame included
};

struct OpenArgs {
  bool bits16 = true;
  int shift = 0;
  int channels = 0;
  bool seekable = true;
};

inline Decoded decode(const std::vector<uint8_t>& bytes, const OpenArgs& a = {}, int64_t chunk = 5000) {
  Decoded d;
  test_support::MemoryStream in(bytes, a.seekable);
  audio::CMpegAudioStream s;
  d.rc = s.open(&in, &d.rate, &d.stereo, a.bits16, a.shift, a.channels);
  if (d.rc != 0) return d;
  d.size = s.size();
  d.frameBytes = s.frameBytes();
  std::vector<uint8_t> buf(static_cast<size_t>(chunk));
  for (;;) {
    const int64_t n = s.read(buf.data(), chunk);
    if (n <= 0) break;
    d.pcm.insert(d.pcm.end(), buf.begin(), buf.begin() + n);
  }
  return d;
}

inline std::vector<float> floats(const std::vector<uint8_t>& b) {
  std::vector<float> f(b.size() / 4);
  std::memcpy(f.data(), b.data(), f.size() * 4);
  return f;
}
inline std::vector<float> shorts(const std::vector<uint8_t>& b) {
  std::vector<float> f(b.size() / 2);
  for (size_t i = 0; i < f.size(); ++i) {
    int16_t v;
    std::memcpy(&v, b.data() + 2 * i, 2);
    f[i] = v;
  }
  return f;
}

struct Difference {
  double rms = 0, peak = 0;
  size_t count = 0;
};
// Over the common length of a (from `skipA`) and b.
inline Difference difference(const std::vector<float>& a, const std::vector<float>& b, size_t skipA = 0) {
  Difference d;
  if (skipA > a.size()) return d;
  d.count = std::min(a.size() - skipA, b.size());
  double sum = 0;
  for (size_t i = 0; i < d.count; ++i) {
    const double e = static_cast<double>(a[skipA + i]) - b[i];
    sum += e * e;
    d.peak = std::max(d.peak, std::fabs(e));
  }
  if (d.count) d.rms = std::sqrt(sum / static_cast<double>(d.count));
  return d;
}

// Layer I frames of a tone mixture: `frames` frames, amplitude scaled by `level`.
// Padded as an encoder pads, so that seeking by the nominal bit rate lands on frame starts.
inline std::vector<uint8_t> layer1Stream(mpawrite::Layer1Params p, int frames, double level = 0.1, int firstFrame = 0) {
  std::vector<uint8_t> out;
  static float s[2][12][32];
  for (int f = firstFrame; f < firstFrame + frames; ++f) {
    for (int t = 0; t < 12; ++t) {
      const double n = f * 12 + t;
      for (int ch = 0; ch < 2; ++ch) {
        for (int sb = 0; sb < 32; ++sb) {
          s[ch][t][sb] = static_cast<float>(level / (1 + sb) * std::sin(n * (0.21 + 0.05 * sb) + ch * 1.3 + sb));
        }
      }
    }
    p.padding = mpawrite::layer1_padding(p, f);
    const auto frame = mpawrite::layer1_frame(p, s);
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

// The decoder stream's view for a layer decoder, over a byte vector whose frames follow each
// other without junk.
class BytesFrameSource : public mpa::FrameSource {
 public:
  explicit BytesFrameSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    bytes_.resize(bytes_.size() + mpa::kBitPadBytes, 0);
    rd_.base = bytes_.data();
    rd_.pos = &pos_;
    rd_.held = static_cast<int64_t>(bytes_.size() - mpa::kBitPadBytes);
  }
  const mpa::FrameHeader& header() const override { return h_; }
  mpa::BitReader& reader() override { return rd_; }
  bool nextHeader() override {
    pos_ = (pos_ + 7) & ~int64_t{7};
    const uint32_t word = rd_.bits(16) << 16 | rd_.bits(16);
    if (!mpa::header_word_valid(word)) {
      h_.bitrateIndex = 0;
      return false;
    }
    h_ = mpa::header_from_word(word);
    if (h_.crc) rd_.skip(16);
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
  int64_t pos_ = 0;
  mpa::BitReader rd_;
  mpa::FrameHeader h_;
};

}  // namespace mpa_test
