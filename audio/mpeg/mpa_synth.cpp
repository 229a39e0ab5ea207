#include "audio/mpeg/mpa_synth.h"

#include <cstring>

namespace mpa {

namespace {

constexpr float k_neutral[9] = {1.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.5f, 0.5f, 1.0f};

// Splits an n-point transform into two of n/2 by sums and weighted differences.
template <int N>
void dct(const float* x, float* out, const float* cf) {
  if constexpr (N == 1) {
    out[0] = x[0];
  } else {
    constexpr int H = N / 2;
    float even[H], odd[H], e[H], o[H + 1];
    for (int k = 0; k < H; ++k) {
      const float a = x[k];
      const float b = x[N - 1 - k];
      even[k] = a + b;
      odd[k] = (a - b) * cf[H + k];
    }
    dct<H>(even, e, cf);
    dct<H>(odd, o, cf);
    o[H] = 0.0f;
    for (int m = 0; m < H; ++m) {
      out[2 * m] = e[m];
      out[2 * m + 1] = o[m] + o[m + 1];
    }
  }
}

}  // namespace

// Flattened: the halves' transforms inline into straight code that keeps its values in registers.
[[gnu::flatten]] void synth_dct(const float* x, float* out, int n) {
  const float* cf = synth_tables().cosFactor;
  if (n == 32) dct<32>(x, out, cf);
  else if (n == 16) dct<16>(x, out, cf);
  else dct<8>(x, out, cf);
}

void Synthesis::configure(int requested, int streamChannels, int shift, int bytesPerSample) {
  reset();
  synth_tables();
  streamChannels_ = streamChannels == 1 ? 1 : 2;
  shift_ = shift < 0 ? 0 : shift > 2 ? 2 : shift;
  bytesPerSample_ = bytesPerSample == 4 ? 4 : 2;
  if (requested != 1 && requested != 2 && requested != -2) requested = 0;
  downmix_ = upmix_ = false;
  if (requested == 0) {
    outChannels_ = streamChannels_;
  } else if (requested == -2) {
    outChannels_ = 2;
    upmix_ = true;
    downmix_ = streamChannels_ == 2;
  } else {
    outChannels_ = requested;
    downmix_ = streamChannels_ == 2 && requested == 1;
    upmix_ = streamChannels_ == 1 && requested == 2;
  }
  synthChannels_ = (!downmix_ && !upmix_ && streamChannels_ == 2) ? 2 : 1;
  layoutWindow();
  matrixOn_ = false;
  gain_ = 1.0f;
  eqOn_ = false;
}

void Synthesis::layoutWindow() {
  const SynthTables& t = synth_tables();
  const float* w = shift_ == 0 ? t.window : shift_ == 1 ? t.half : t.quarter;
  const int h = 16 >> shift_;
  std::memset(windowA_, 0, sizeof windowA_);
  std::memset(windowB_, 0, sizeof windowB_);
  for (int c = 0; c < 8; ++c) {
    const int c2 = 2 * c + 1;
    for (int k = 0; k < 16; ++k) {
      for (int j = 0; j <= h; ++j) windowA_[c][k][j] = w[32 * j + 16 - c2 + k];
      for (int j = 1; j < h; ++j) windowB_[c][k][j] = w[32 * j + c2 + 15 - k];
    }
  }
}

void Synthesis::reset() {
  ring_ = 0;
  std::memset(hist_, 0, sizeof hist_);
}

void Synthesis::setGain(const float* gain) { gain_ = gain ? *gain : 1.0f; }

void Synthesis::setMatrix(const float* m9) {
  matrixOn_ = false;
  if (m9 == nullptr) return;
  for (int i = 0; i < 9; ++i) matrixOn_ = matrixOn_ || m9[i] != k_neutral[i];
  if (matrixOn_) std::memcpy(m_, m9, sizeof m_);
}

void Synthesis::setEqualiser(const float* g32) {
  eqOn_ = false;
  if (g32 == nullptr) return;
  for (int i = 0; i < 32; ++i) eqOn_ = eqOn_ || g32[i] != 1.0f;
  if (!eqOn_) return;
  const int group = 1 << shift_;
  for (int i = 0; i < (32 >> shift_); ++i) {
    float sum = 0.0f;
    for (int k = 0; k < group; ++k) sum += g32[i * group + k];
    eq_[i] = sum / static_cast<float>(group);
  }
}

void Synthesis::mix(float* l, float* r, int n) const {
  const bool mono = streamChannels_ == 1;
  if (!matrixOn_) {
    if (downmix_) {
      for (int i = 0; i < n; ++i) l[i] = (l[i] + r[i]) * 0.5f;
    }
  } else if (!downmix_) {
    if (!mono) {
      for (int i = 0; i < n; ++i) {
        const float a = l[i];
        const float b = r[i];
        l[i] = m_[0] * a + m_[1] * b;
        r[i] = m_[3] * a + m_[4] * b;
      }
    } else {
      for (int i = 0; i < n; ++i) l[i] = m_[8] * l[i];
    }
  } else {
    for (int i = 0; i < n; ++i) l[i] = m_[6] * l[i] + m_[7] * r[i];
  }
  const bool right = !downmix_ && !mono;
  if (gain_ != 1.0f) {
    for (int i = 0; i < n; ++i) l[i] *= gain_;
    if (right) {
      for (int i = 0; i < n; ++i) r[i] *= gain_;
    }
  }
  if (eqOn_) {
    for (int i = 0; i < n; ++i) l[i] *= eq_[i];
    if (right) {
      for (int i = 0; i < n; ++i) r[i] *= eq_[i];
    }
  }
}

// One slot of one channel: the transform goes into the ring of history, and when `out` is
// given the window turns the history into n samples.
void Synthesis::filter(int ch, const float* x, float* out) {
  const int n = 32 >> shift_;
  const int h = n / 2;
  float X[32];
  synth_dct(x, X, n);
  const int r = ring_;
  const int p = r & 1;
  const int q = 1 - p;
  float(*hp)[kRows] = hist_[ch][p];
  float(*hq)[kRows] = hist_[ch][q];
  const int c1 = (r + 1) & 14;
  const int c2 = r | 1;
  for (int j = 0; j <= h; ++j) hp[c1][j] = X[h - j];
  for (int j = 0; j < h; ++j) hq[c2][j] = X[h + j];
  if (out == nullptr) return;
  // Every row sums over the columns in the same order as a row-by-row loop would.
  const float(*wa)[kRows] = windowA_[c2 >> 1];
  const float(*wb)[kRows] = windowB_[c2 >> 1];
  float a[kRows] = {}, b[kRows] = {};
  for (int k = 0; k < 16; k += 2)
    for (int j = 0; j < kRows; ++j) a[j] += wa[k][j] * hq[k][j] - wa[k + 1][j] * hq[k + 1][j];
  for (int k = 0; k < 16; ++k)
    for (int j = 0; j < kRows; ++j) b[j] += wb[k][j] * hq[k][j];
  for (int j = 0; j <= h; ++j) out[j] = a[j];
  for (int j = 1; j < h; ++j) out[2 * h - j] = -b[j];
}

template <typename Sample>
void Synthesis::put(const float* l, const float* r, uint8_t* dest, int n) const {
  auto one = [](float v) {
    if constexpr (sizeof(Sample) == 2) return pcm16(v);
    else return v;
  };
  Sample s[64];
  int count = 0;
  if (upmix_) {
    const float ml = matrixOn_ ? m_[2] : 1.0f, mr = matrixOn_ ? m_[5] : 1.0f;
    for (int i = 0; i < n; ++i) {
      s[count++] = one(matrixOn_ ? ml * l[i] : l[i]);
      s[count++] = one(matrixOn_ ? mr * l[i] : l[i]);
    }
  } else if (outChannels_ == 2) {
    // Each channel converted in a loop of its own, then interleaved.
    Sample a[32], b[32];
    for (int i = 0; i < n; ++i) a[i] = one(l[i]);
    for (int i = 0; i < n; ++i) b[i] = one(r[i]);
    for (int i = 0; i < n; ++i) {
      s[2 * i] = a[i];
      s[2 * i + 1] = b[i];
    }
    count = 2 * n;
  } else {
    for (int i = 0; i < n; ++i) s[count++] = one(l[i]);
  }
  std::memcpy(dest, s, sizeof(Sample) * static_cast<size_t>(count));
}

int64_t Synthesis::run(SubbandFrame& in, uint8_t* dest) {
  const int n = 32 >> shift_;
  uint8_t* at = dest;
  const int64_t slotBytes = static_cast<int64_t>(bytesPerSample_) * outChannels_ * n;
  float out[2][32];
  for (int slot = 0; slot < kSlots; ++slot) {
    float* l = in.s[0][slot];
    float* r = in.s[1][slot];
    mix(l, r, n);
    filter(0, l, at ? out[0] : nullptr);
    if (synthChannels_ == 2) filter(1, r, at ? out[1] : nullptr);
    if (at) {
      if (bytesPerSample_ == 2) put<int16_t>(out[0], out[1], at, n);
      else put<float>(out[0], out[1], at, n);
      at += slotBytes;
    }
    ring_ = (ring_ - 1) & 15;
  }
  return at ? at - dest : 0;
}

}  // namespace mpa
