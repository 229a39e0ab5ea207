#include "tools/mpawrite/mpawrite.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace mpawrite {

namespace {

constexpr int k_l1_kbps[2][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}};
constexpr int k_rates[3] = {44100, 48000, 32000};

class BitWriter {
 public:
  void put(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
      if (bits_ % 8 == 0) out_.push_back(0);
      if ((v >> i) & 1) out_.back() |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
      ++bits_;
    }
  }
  size_t bits() const { return bits_; }
  Bytes take(size_t bytes) {
    out_.resize(bytes, 0);
    return std::move(out_);
  }

 private:
  Bytes out_;
  size_t bits_ = 0;
};

int sample_rate(const Layer1Params& p) { return k_rates[p.rateIndex % 3] >> (p.version ? 1 : 0); }

double scale_of(int index) { return std::pow(2.0, (3 - index) / 3.0); }

// The smallest scale factor (largest index) that still holds `peak`.
int scale_index(double peak) {
  int best = 0;
  for (int i = 0; i < 63; ++i) {
    if (scale_of(i) >= peak) best = i;
  }
  return best;
}

struct Quantised {
  int bound = 32;
  int nch = 1;
  int scf[2][32] = {};
  int value[2][12][32] = {};  // level in -(2^a - 1) .. 2^a - 1
};

Quantised quantise(const Layer1Params& p, const float (*s)[12][32]) {
  Quantised q;
  q.nch = p.mode == 3 ? 1 : 2;
  q.bound = p.mode == 1 ? std::min(32, 4 * (p.modeExt + 1)) : p.mode == 3 ? 0 : 32;
  const int a = p.allocation;
  const int top = (1 << a) - 1;
  const double step = 2.0 / (std::pow(2.0, a + 1) - 1.0);
  for (int sb = 0; sb < std::min(p.subbands, 32); ++sb) {
    for (int ch = 0; ch < q.nch; ++ch) {
      double peak = 0.0;
      for (int t = 0; t < 12; ++t) peak = std::max(peak, static_cast<double>(std::fabs(s[ch][t][sb])));
      q.scf[ch][sb] = scale_index(peak);
    }
    for (int t = 0; t < 12; ++t) {
      for (int ch = 0; ch < q.nch; ++ch) {
        const int src = sb < q.bound ? ch : 0;
        const double f = scale_of(q.scf[src][sb]) * step;
        const long v = std::lround(s[src][t][sb] / f);
        q.value[ch][t][sb] = static_cast<int>(std::clamp<long>(v, -top, top));
      }
    }
  }
  return q;
}

}  // namespace

int layer1_frame_bytes(const Layer1Params& p) {
  return 4 * (12 * k_l1_kbps[p.version ? 1 : 0][p.bitrateIndex] * 1000 / sample_rate(p) + p.padding);
}

int layer1_padding(const Layer1Params& p, int64_t index) {
  const int64_t num = 12LL * k_l1_kbps[p.version ? 1 : 0][p.bitrateIndex] * 1000;
  const int64_t rate = sample_rate(p);
  const int64_t rest = num % rate;
  return static_cast<int>((index + 1) * rest / rate - index * rest / rate);
}

Bytes layer1_frame(const Layer1Params& p, const float (*s)[12][32]) {
  const Quantised q = quantise(p, s);
  const int coded = std::min(p.subbands, 32);
  BitWriter w;
  w.put(0x7FF, 11);  // sync
  w.put(p.version ? 2 : 3, 2);
  w.put(3, 2);  // layer I
  w.put(p.crc ? 0 : 1, 1);
  w.put(static_cast<uint32_t>(p.bitrateIndex), 4);
  w.put(static_cast<uint32_t>(p.rateIndex), 2);
  w.put(static_cast<uint32_t>(p.padding), 1);
  w.put(0, 1);
  w.put(static_cast<uint32_t>(p.mode), 2);
  w.put(static_cast<uint32_t>(p.modeExt), 2);
  w.put(0, 4);
  if (p.crc) w.put(0, 16);
  auto alloc = [&](int sb) { return sb < coded ? p.allocation : 0; };
  for (int sb = 0; sb < 32; ++sb) {
    const int n = sb < q.bound ? q.nch : 1;
    for (int ch = 0; ch < n; ++ch) w.put(static_cast<uint32_t>(alloc(sb)), 4);
  }
  for (int sb = 0; sb < 32; ++sb) {
    for (int ch = 0; ch < q.nch; ++ch) {
      if (alloc(sb)) w.put(static_cast<uint32_t>(q.scf[ch][sb]), 6);
    }
  }
  const int a = p.allocation;
  for (int t = 0; t < 12; ++t) {
    for (int sb = 0; sb < 32; ++sb) {
      if (!alloc(sb)) continue;
      const int n = sb < q.bound ? q.nch : 1;
      for (int ch = 0; ch < n; ++ch) w.put(static_cast<uint32_t>(q.value[ch][t][sb] + (1 << a) - 1), a + 1);
    }
  }
  const size_t bytes = static_cast<size_t>(layer1_frame_bytes(p));
  if (w.bits() > bytes * 8) throw std::invalid_argument("layer I frame too small for its bits");
  return w.take(bytes);
}

void layer1_dequantised(const Layer1Params& p, const float (*s)[12][32], float (*out)[12][32]) {
  const Quantised q = quantise(p, s);
  const int a = p.allocation;
  const double step = 2.0 / (std::pow(2.0, a + 1) - 1.0);
  for (int ch = 0; ch < 2; ++ch) {
    for (int t = 0; t < 12; ++t) {
      for (int sb = 0; sb < 32; ++sb) {
        const int c = std::min(ch, q.nch - 1);
        out[ch][t][sb] = sb < std::min(p.subbands, 32)
                             ? static_cast<float>(q.value[c][t][sb] * scale_of(q.scf[c][sb]) * step)
                             : 0.0f;
      }
    }
  }
}

namespace {

void put_be(Bytes& b, uint32_t v, int n) {
  for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_le(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_text(Bytes& b, const char* s) {
  while (*s) b.push_back(static_cast<uint8_t>(*s++));
}

void pack_header(Bytes& b) {
  put_be(b, 0x000001BA, 4);
  const uint8_t body[8] = {0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x00, 0x01};
  b.insert(b.end(), body, body + 8);
}

}  // namespace

Bytes system_stream(const Bytes& audio, const SystemOptions& o) {
  Bytes b;
  pack_header(b);
  put_be(b, 0x000001BB, 4);
  const int entries = o.listAudioInHeader ? 2 : 1;
  put_be(b, static_cast<uint32_t>(o.shortHeaderLength >= 0 ? o.shortHeaderLength : 6 + 3 * entries), 2);
  const uint8_t fixed[6] = {0x80, 0x00, 0x01, 0x04, 0xE1, 0xFF};
  b.insert(b.end(), fixed, fixed + 6);
  put_be(b, 0xE0E000, 3);  // a video stream entry
  if (o.listAudioInHeader) put_be(b, 0xC0C020, 3);
  const size_t payload = static_cast<size_t>(std::max(1, o.packetPayload));
  int index = 0;
  for (size_t at = 0; at < audio.size(); at += payload, ++index) {
    const size_t n = std::min(payload, audio.size() - at);
    if (o.packEveryPacket && index > 0) pack_header(b);
    if (o.foreignPackets && index > 0) {
      put_be(b, 0x000001E0, 4);
      put_be(b, 5, 2);
      put_be(b, 0x0FE0E0E0, 4);
      b.push_back(0x00);
    }
    Bytes head;
    for (int i = 0; i < o.stuffing; ++i) head.push_back(0xFF);
    if (o.bufferField) put_be(head, 0x6020, 2);
    if (index == o.badPacketAt) {
      head.push_back(0x80);  // no valid marker
    } else if (o.timeStamps == 1) {
      const uint8_t ts[5] = {0x21, 0x00, 0x01, 0x00, 0x01};
      head.insert(head.end(), ts, ts + 5);
    } else if (o.timeStamps == 2) {
      const uint8_t ts[10] = {0x31, 0x00, 0x01, 0x00, 0x01, 0x11, 0x00, 0x01, 0x00, 0x01};
      head.insert(head.end(), ts, ts + 10);
    } else {
      head.push_back(0x0F);
    }
    put_be(b, 0x000001C0, 4);
    put_be(b, static_cast<uint32_t>(head.size() + n), 2);
    b.insert(b.end(), head.begin(), head.end());
    b.insert(b.end(), audio.begin() + static_cast<std::ptrdiff_t>(at), audio.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  put_be(b, 0x000001B9, 4);
  return b;
}

Bytes riff_wrap(const Bytes& audio, bool withData) {
  Bytes b;
  put_text(b, "RIFF");
  put_le(b, 0, 4);
  put_text(b, "WAVE");
  put_text(b, "fmt ");
  put_le(b, 30, 4);
  put_le(b, 0x55, 2);  // MPEG layer III tag; the front end does not look at it
  put_le(b, 2, 2);
  put_le(b, 44100, 4);
  put_le(b, 16000, 4);
  put_le(b, 1, 2);
  put_le(b, 0, 2);
  put_le(b, 12, 2);
  for (int i = 0; i < 12; ++i) b.push_back(0);
  put_text(b, "fact");
  put_le(b, 4, 4);
  put_le(b, 1152, 4);
  if (withData) {
    put_text(b, "data");
    put_le(b, static_cast<uint32_t>(audio.size()), 4);
    b.insert(b.end(), audio.begin(), audio.end());
    if (audio.size() & 1) b.push_back(0);
  }
  put_text(b, "LIST");
  put_le(b, 4, 4);
  put_text(b, "INFO");
  const uint32_t riffSize = static_cast<uint32_t>(b.size() - 8);
  for (int i = 0; i < 4; ++i) b[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  return b;
}

Bytes info_prefix(const Bytes& audio, uint32_t blockBytes) {
  Bytes b;
  put_text(b, "INFO");
  put_be(b, blockBytes, 4);
  for (uint32_t i = 0; i < blockBytes; ++i) b.push_back(static_cast<uint8_t>('a' + i % 26));
  b.insert(b.end(), audio.begin(), audio.end());
  return b;
}

Bytes id3v1_trailer(const Bytes& audio) {
  Bytes b = audio;
  put_text(b, "TAG");
  for (int i = 3; i < 128; ++i) b.push_back(i < 33 ? static_cast<uint8_t>('t') : 0);
  return b;
}

Bytes id3v2_head(const Bytes& audio, uint32_t tagBytes, bool footer) {
  Bytes b;
  put_text(b, "ID3");
  b.push_back(4);
  b.push_back(0);
  b.push_back(footer ? 0x10 : 0x00);
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>((tagBytes >> (7 * i)) & 0x7F));
  for (uint32_t i = 0; i < tagBytes; ++i) b.push_back(static_cast<uint8_t>(i % 97));
  if (footer) {
    const Bytes head(b.begin() + 3, b.begin() + 10);  // version, flags and size, as in the head
    put_text(b, "3DI");
    b.insert(b.end(), head.begin(), head.end());
  }
  b.insert(b.end(), audio.begin(), audio.end());
  return b;
}

Bytes junk(size_t n, uint32_t seed) {
  Bytes b(n);
  uint32_t x = seed ? seed : 1;
  for (auto& v : b) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v = static_cast<uint8_t>(x % 0xF0);
  }
  return b;
}

Bytes concat(std::initializer_list<const Bytes*> parts) {
  Bytes b;
  for (const Bytes* p : parts) b.insert(b.end(), p->begin(), p->end());
  return b;
}

bool write_file(const std::string& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace mpawrite
