#include "audio/mpeg/mpeg_audio_stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/mpa_layer12.h"
#include "audio/mpeg/mpa_synth.h"
#include "audio/mpeg/layer3.h"

namespace audio {

namespace {

constexpr int64_t kBufferBytes = 16384;
constexpr int64_t kSeekableThreshold = 2048;
constexpr int64_t kMinFill = 2048;
constexpr int64_t kMaxFrameBytes = 9216;  // 1152 samples x 2 channels x 4 bytes

}  // namespace

struct CMpegAudioStream::Impl : mpa::FrameSource {
  CStream* input = nullptr;

  // Bit-stream buffer.
  uint8_t buf[kBufferBytes + mpa::kBitPadBytes] = {};
  int64_t threshold = kSeekableThreshold;
  int64_t held = 0;
  int64_t bitPos = 0;
  mpa::BitReader rd;

  mpa::FrameHeader hdr;
  mpa::FrameHeader ref;
  bool opening = false;
  bool notSeekable = false;
  mpa::FrameModel model;
  bool exactSeek = false;

  uint8_t pcm[kMaxFrameBytes] = {};
  int64_t offset = 0;
  int64_t frameBytes = 0;
  int64_t frameNo = 0;
  int64_t totalFrames = 0;
  bool endOfData = false;

  mpa::SubbandFrame sb = {};
  mpa::DecoderConfig config;
  int requested = 0;
  int bytesPerSample = 2;
  mpa::Synthesis synth;
  mpa::Layer3State l3;

  Impl() {
    rd.base = buf;
    rd.pos = &bitPos;
  }

  const mpa::FrameHeader& header() const override { return hdr; }
  mpa::BitReader& reader() override { return rd; }
  bool nextHeader() override;

  void resetBuffer() {
    held = 0;
    bitPos = 0;
    rd.held = 0;
    std::memset(buf, 0, sizeof buf);
  }
  void refill();
  bool sync();
  bool firstFrameScan(int64_t* bitrate);
  void setModel(int64_t bitrate);
  void decodeLayer();
  bool step(uint8_t* dest);
};

// Keeps the unconsumed bytes at the front and tops the buffer up from the input once the
// bytes left fall to the threshold; the free tail stays zero.
void CMpegAudioStream::Impl::refill() {
  bitPos = std::clamp<int64_t>(bitPos, 0, held * 8);
  const int64_t first = bitPos >> 3;
  const int64_t left = held - first;
  if (left > threshold) return;
  std::memmove(buf, buf + first, static_cast<size_t>(left));
  bitPos -= first * 8;
  held = left;
  while (held < kBufferBytes) {
    const int64_t got = input->read(buf + held, kBufferBytes - held);
    if (got <= 0) break;
    held += got;
    if (held >= kMinFill) break;
  }
  std::memset(buf + held, 0, static_cast<size_t>(kBufferBytes + mpa::kBitPadBytes - held));
  rd.held = held;
}

// Finds the next byte 0xFF followed by one of 0xE0 or more and moves past the 11 sync bits
// (onto the byte that carries the last three of them).
bool CMpegAudioStream::Impl::sync() {
  bitPos = (bitPos + 7) & ~int64_t{7};
  for (;;) {
    refill();
    int64_t i = bitPos >> 3;
    if (held - i < 4) return false;
    while (i + 1 < held && !(buf[i] == 0xFF && buf[i + 1] >= 0xE0)) ++i;
    if (i + 1 >= held) {
      bitPos = i * 8;
      const int64_t before = held - i;
      refill();
      if (held - (bitPos >> 3) <= before) return false;
      continue;
    }
    bitPos = (i + 1) * 8 + 3;
    refill();
    return true;
  }
}

bool CMpegAudioStream::Impl::nextHeader() {
  while (sync()) {
    // The 21 header bits after the sync bits.
    const mpa::FrameHeader h = mpa::header_from_word(0xFFE00000u | rd.bits(21));
    if (opening) ref = h;
    if (mpa::header_accepts(ref, h)) {
      hdr = h;
      if (h.crc) rd.skip(16);
      return true;
    }
    // Every 0xFF is a candidate: the search goes on from the byte after this one's first, so
    // a header whose second byte is 0xFF (layer I without CRC) is found after a run of 0xFF.
    bitPos -= 24;
  }
  hdr.bitrateIndex = 0;
  return false;
}

// The bit rate (bit/s) the frame-size model uses: the first header's, or for seekable layer III
// the average over eight frames; 0 for an input that cannot seek. False when the input does
// not begin with a usable header.
bool CMpegAudioStream::Impl::firstFrameScan(int64_t* bitrate) {
  const bool seekable = !notSeekable;
  if (seekable) input->seek(0);
  uint8_t b[4] = {};
  if (input->peek(b, 4) != 4) return false;
  auto word = [&b] {
    return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[2]) << 8 | b[3];
  };
  if (!mpa::header_word_valid(word())) return false;
  mpa::FrameHeader h = mpa::header_from_word(word());
  *bitrate = 0;
  if (!seekable) return true;
  if (h.layer != mpa::kLayer3) {
    *bitrate = mpa::header_bitrate_kbps(h) * 1000LL;
    return true;
  }
  int64_t sum = 0;
  int64_t at = 0;
  for (int f = 0; f < 8; ++f) {
    if (f > 0) {
      input->seek(at);
      input->peek(b, 4);  // a short peek keeps the previous header's bytes
      if (!mpa::header_word_valid(word())) return false;
      h = mpa::header_from_word(word());
    }
    const int64_t rate = mpa::header_bitrate_kbps(h) * 1000LL;
    sum += rate;
    at += (h.version == mpa::kMpeg1 ? 144 : 72) * rate / mpa::header_sample_rate(h) + h.padding;
  }
  input->seek(0);
  *bitrate = sum / 8;
  return true;
}

void CMpegAudioStream::Impl::setModel(int64_t bitrate) {
  const int64_t s = mpa::header_sample_rate(ref);
  model.rate = static_cast<int>(s);
  model.slotBytes = ref.layer == mpa::kLayer1 ? 4 : 1;
  const int64_t slots = (ref.layer == mpa::kLayer1 ? 36 : 144) * bitrate;
  model.whole = slots / s;
  model.remainder = slots % s;
  model.reservoirFrames = ref.layer == mpa::kLayer3 ? mpa::layer3_reservoir_frames(ref.version, model.whole) : 0;
  totalFrames = 0;
  if (bitrate <= 0 || notSeekable) return;
  const double size = static_cast<double>(std::max<int64_t>(input->size(), 0));
  const double perFrame = static_cast<double>(model.whole * s + model.remainder) * model.slotBytes;
  const double frames = std::floor((size + model.slotBytes) * static_cast<double>(s) / perFrame + 0.5);
  // Held in 64 bits and small enough that frames x bytes per frame cannot overflow.
  totalFrames = static_cast<int64_t>(std::clamp(frames, 0.0, 1e12));
}

void CMpegAudioStream::Impl::decodeLayer() {
  switch (ref.layer) {
    case mpa::kLayer1: mpa::layer1_decode(*this, sb); break;
    case mpa::kLayer2: mpa::layer2_decode(*this, sb); break;
    default: mpa::layer3_decode(l3, *this, config, sb); break;
  }
}

// Decodes one decoder frame into `dest` (or only through the filter when null).
bool CMpegAudioStream::Impl::step(uint8_t* dest) {
  if (opening) {
    notSeekable = (input->flags() & CStream::kRandomAccess) == 0;
    threshold = notSeekable ? kBufferBytes : kSeekableThreshold;
    int64_t bitrate = 0;
    if (!firstFrameScan(&bitrate)) return false;
    endOfData = false;
    if (!nextHeader()) return false;
    setModel(bitrate);
    config.streamChannels = mpa::header_channels(ref);
    if (ref.layer == mpa::kLayer3) mpa::layer3_open(l3, ref);
    decodeLayer();
    synth.configure(requested, config.streamChannels, config.shift, bytesPerSample);
    frameBytes = synth.frameBytes();
    frameNo = 1;
    offset = 0;
  } else {
    if (endOfData) return false;
    if (!nextHeader()) endOfData = true;
    decodeLayer();
  }
  synth.run(sb, dest);
  return true;
}

CMpegAudioStream::CMpegAudioStream() : d_(std::make_unique<Impl>()) {}
CMpegAudioStream::~CMpegAudioStream() { close(); }

int64_t CMpegAudioStream::frameBytes() const { return d_->frameBytes; }

int CMpegAudioStream::open(CStream* input, int* sampleRate, int* stereo, bool bits16, int shift,
                           int outputChannels) {
  close();
  d_ = std::make_unique<Impl>();
  Impl& d = *d_;
  if (input == nullptr) return -1;
  mpa::layer12_tables();
  mpa::synth_tables();
  d.input = input;
  d.resetBuffer();
  d.requested = outputChannels;
  d.config.shift = std::clamp(shift, 0, 2);
  d.bytesPerSample = bits16 ? 2 : 4;
  d.opening = true;
  const bool ok = d.step(d.pcm);
  d.opening = false;
  if (!ok) {
    d.input = nullptr;
    return -1;
  }
  if (sampleRate) *sampleRate = mpa::header_sample_rate(d.ref) >> d.config.shift;
  if (stereo) *stereo = d.synth.outputChannels() == 2 ? 1 : 0;
  d.exactSeek = false;
  flags_ = kOpen | kReadable | (d.notSeekable ? 0u : static_cast<uint32_t>(kRandomAccess));
  position_ = 0;
  size_ = d.totalFrames * d.frameBytes;
  return 0;
}

int CMpegAudioStream::rawClose() {
  d_->input = nullptr;
  return CStream::rawClose();
}

int64_t CMpegAudioStream::rawRead(uint8_t* buffer, int64_t n) {
  Impl& d = *d_;
  if (d.input == nullptr) return 0;
  int64_t given = 0;
  while (given < n) {
    if (d.offset >= d.frameBytes && n - given >= d.frameBytes) {
      if (!d.step(buffer + given)) break;
      ++d.frameNo;
      given += d.frameBytes;
      continue;
    }
    if (d.offset >= d.frameBytes) {
      if (!d.step(d.pcm)) break;
      ++d.frameNo;
      d.offset = 0;
    }
    const int64_t c = std::min(d.frameBytes - d.offset, n - given);
    std::memcpy(buffer + given, d.pcm + d.offset, static_cast<size_t>(c));
    d.offset += c;
    given += c;
  }
  return given;
}

int64_t CMpegAudioStream::rawPeek(uint8_t* buffer, int64_t n) {
  Impl& d = *d_;
  if (d.input == nullptr) return 0;
  if (d.offset >= d.frameBytes) {
    if (!d.step(d.pcm)) return 0;
    ++d.frameNo;
    d.offset = 0;
  }
  const int64_t c = std::min(d.frameBytes - d.offset, n);
  std::memcpy(buffer, d.pcm + d.offset, static_cast<size_t>(c));
  return c;
}

int64_t CMpegAudioStream::rawSeek(int64_t target) {
  Impl& d = *d_;
  if (d.input == nullptr || d.notSeekable || d.frameBytes <= 0) return 0;
  const int64_t fb = d.frameBytes;
  target = std::clamp<int64_t>(target, 0, d.totalFrames * fb);
  const int64_t k = target / fb;
  const int64_t r = target % fb;
  if (k == d.frameNo - 1) {
    d.offset = r;
    return (d.frameNo - 1) * fb + d.offset;
  }
  d.frameNo = k;
  const int64_t p = d.exactSeek ? 0 : 1;
  const int64_t b0 = d.ref.layer == mpa::kLayer3 ? d.model.reservoirFrames : 0;
  const int64_t j = k - (b0 + p);
  const int64_t b = j < 0 ? -j : 0;
  const int64_t f = j + b;
  const int64_t s = std::max(d.model.rate, 1);
  d.input->seek((f * d.model.whole + (f * d.model.remainder) / s) * d.model.slotBytes);
  d.resetBuffer();
  d.endOfData = false;
  if (d.ref.layer == mpa::kLayer3) {
    mpa::layer3_rebuild(d.l3, d, d.config, d.sb, static_cast<int>(b), static_cast<int>(b0), static_cast<int>(p));
  }
  if (p) {
    if (b == b0 + 1) d.synth.reset();
    else d.step(nullptr);
  }
  if (r == 0) {
    d.offset = fb;
  } else if (d.step(d.pcm)) {
    ++d.frameNo;
    d.offset = r;
  } else {
    d.offset = fb;
  }
  return (d.frameNo - 1) * fb + d.offset;
}

int64_t CMpegAudioStream::rawControl(int code, void* arg, int64_t v) {
  Impl& d = *d_;
  switch (code) {
    case kControlAtEnd: return d.endOfData && d.offset >= d.frameBytes ? 1 : 0;
    case kControlGain: d.synth.setGain(static_cast<const float*>(arg)); return 0;
    case kControlMatrix: d.synth.setMatrix(static_cast<const float*>(arg)); return 0;
    case kControlEqualiser:
      d.synth.setEqualiser(static_cast<const float*>(arg));
      if (d.ref.layer == mpa::kLayer3) mpa::layer3_set_line_equaliser(d.l3, nullptr, d.config.shift);
      return 0;
    case kControlLineEqualiser: {
      const auto* g = static_cast<const float*>(arg);
      if (d.ref.layer == mpa::kLayer3) {
        mpa::layer3_set_line_equaliser(d.l3, g, d.config.shift);
        return 0;
      }
      if (g == nullptr) {
        d.synth.setEqualiser(nullptr);
        return 0;
      }
      float avg[32];
      for (int i = 0; i < 32; ++i) {
        float sum = 0.0f;
        for (int k = 0; k < 18; ++k) sum += g[18 * i + k];
        avg[i] = sum / 18.0f;
      }
      d.synth.setEqualiser(avg);
      return 0;
    }
    case kControlSetExactSeek: {
      const bool old = d.exactSeek;
      d.exactSeek = v != 0;
      return old ? 1 : 0;
    }
    case kControlGetExactSeek: return d.exactSeek ? 1 : 0;
    default: return CStream::rawControl(code, arg, v);
  }
}

}  // namespace audio
