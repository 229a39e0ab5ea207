#include "tests/support/fake_pcm_chain.h"

#include <cmath>
#include <cstring>

#include "audio/sound/music_mp3.h"

namespace veldra_test {

struct FakePcmChain::Chain {
  uint32_t pos = 0;
};

namespace {

FakePcmChain* installed = nullptr;

// The back end never looks inside a chain: a fake one passes as the opaque handle.
AUDIO_DECODER* handle(FakePcmChain::Chain* c) { return reinterpret_cast<AUDIO_DECODER*>(c); }
FakePcmChain::Chain* chain(AUDIO_DECODER* d) { return reinterpret_cast<FakePcmChain::Chain*>(d); }

AUDIO_DECODER* op_open(const char* name) { return installed ? handle(installed->open(name)) : nullptr; }
int32_t op_read(AUDIO_DECODER* d, uint8_t* buffer, uint32_t length) {
  return installed && d ? installed->read(chain(d), buffer, length) : -1;
}
const WAV_FORMAT* op_format(AUDIO_DECODER* d) { return installed && d ? &installed->format() : nullptr; }
void op_close(AUDIO_DECODER* d) {
  if (installed && d) installed->close(chain(d));
}

const MUSIC_DECODER_OPS kOps = {op_open, op_read, op_format, op_close};

}  // namespace

FakePcmChain::FakePcmChain(const Options& o) {
  format_.format_tag = 1;
  format_.channels = o.channels;
  format_.samples_per_sec = o.rate;
  format_.block_align = static_cast<uint16_t>(o.channels * o.bits / 8);
  format_.avg_bytes_per_sec = o.rate * format_.block_align;
  format_.bits_per_sample = o.bits;
  tune_.resize(o.bytes);
  const uint32_t frames = o.bytes / format_.block_align;
  constexpr double kPi = 3.14159265358979323846;
  for (uint32_t i = 0; i < frames; ++i) {
    // A quarter-period phase keeps every sample away from zero but at the crossings.
    const double v = std::sin(2 * kPi * o.hz * (i + 0.25) / o.rate);
    for (uint16_t c = 0; c < o.channels; ++c) {
      uint8_t* p = tune_.data() + size_t{i} * format_.block_align + size_t{c} * (o.bits / 8);
      if (o.bits == 16) {
        const int16_t s = static_cast<int16_t>(std::lround(v * 8000));
        std::memcpy(p, &s, 2);
      } else {
        *p = static_cast<uint8_t>(128 + std::lround(v * 100));
      }
    }
  }
  installed = this;
  music_mp3_set_decoder(&kOps);
}

FakePcmChain::~FakePcmChain() {
  // The back end's thread and held chain go before the operations behind them.
  music_mp3_reset();
  music_mp3_set_decoder(nullptr);
  installed = nullptr;
}

std::vector<std::string> FakePcmChain::names() const {
  std::lock_guard lock(mutex_);
  return names_;
}

FakePcmChain::Chain* FakePcmChain::open(const char* name) {
  ++opens;
  {
    std::lock_guard lock(mutex_);
    names_.push_back(name ? name : "");
  }
  if (openFails) return nullptr;
  if (failOpens > 0) {
    --failOpens;
    return nullptr;
  }
  ++live;
  return new Chain();
}

int32_t FakePcmChain::read(Chain* c, uint8_t* buffer, uint32_t length) {
  ++reads;
  if (c->pos >= tune_.size()) return -3;  // at the end
  const uint32_t n = std::min<uint32_t>(length, static_cast<uint32_t>(tune_.size()) - c->pos);
  std::memcpy(buffer, tune_.data() + c->pos, n);
  c->pos += n;
  return static_cast<int32_t>(n);
}

void FakePcmChain::close(Chain* c) {
  ++closes;
  --live;
  delete c;
}

}  // namespace veldra_test
