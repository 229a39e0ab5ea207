#include <cstring>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

// The 2N-point inverse MDCT x[i] = sum X[k] cos(pi / (4N) (2i + 1 + N) (2k + 1)) is the DCT-IV
// y[m] = sum X[k] cos(pi / (4N) (2m + 1) (2k + 1)) read as x[i] = c(i + N/2), where
// c(m) = y[m], -y[2N - 1 - m], -y[m - 2N] on the three ranges of m.

void l3_imdct_long(const float* in, int blockType, float* overlap, float* out) {
  const Layer3Tables& T = layer3_tables();
  // Input by input, so each output sums in the same order and the inner loop runs over
  // contiguous outputs.
  float y[kL3CosLongRow] = {};
  // Trailing zero inputs add nothing.
  int inputs = 18;
  while (inputs > 0 && in[inputs - 1] == 0.0f) --inputs;
  for (int k = 0; k < inputs; ++k) {
    const float v = in[k];
    for (int m = 0; m < kL3CosLongRow; ++m) y[m] += v * T.cosLong[k][m];
  }
  const float* w = T.window[blockType & 3];
  float x[36];
  for (int i = 0; i < 9; ++i) x[i] = y[i + 9];
  for (int i = 9; i < 27; ++i) x[i] = -y[26 - i];
  for (int i = 27; i < 36; ++i) x[i] = -y[i - 27];
  for (int i = 0; i < 18; ++i) {
    out[i] = x[i] * w[i] + overlap[i];
    overlap[i] = x[i + 18] * w[i + 18];
  }
}

void l3_imdct_short(const float* in, float* overlap, float* out) {
  const Layer3Tables& T = layer3_tables();
  const float* w = T.window[2];
  float sum[36] = {};
  for (int win = 0; win < 3; ++win) {
    float y[kL3CosShortRow] = {};
    for (int k = 0; k < 6; ++k) {
      const float v = in[3 * k + win];
      for (int m = 0; m < kL3CosShortRow; ++m) y[m] += v * T.cosShort[k][m];
    }
    float z[12];
    for (int i = 0; i < 3; ++i) z[i] = y[i + 3];
    for (int i = 3; i < 9; ++i) z[i] = -y[8 - i];
    for (int i = 9; i < 12; ++i) z[i] = -y[i - 9];
    // The three windows overlap by half in the middle of the long block's span.
    float* dst = sum + 6 + 6 * win;
    for (int i = 0; i < 12; ++i) dst[i] += z[i] * w[i];
  }
  for (int i = 0; i < 18; ++i) {
    out[i] = sum[i] + overlap[i];
    overlap[i] = sum[i + 18];
  }
}

void l3_hybrid_synthesis(Layer3State& st, const L3Granule& g, int ch, int gr, int subbands, SubbandFrame& out) {
  const float* xr = st.lines[ch];
  const int firstSlot = 18 * (gr & 1);
  for (int sb = 0; sb < kSubbands; ++sb) {
    float res[18];
    float* ov = st.overlap[ch][sb];
    if (sb >= subbands) {
      std::memset(res, 0, sizeof res);
    } else if (18 * sb >= st.nonzeroEnd[ch]) {
      // Zero lines transform to zeros: only the overlap remains.
      std::memcpy(res, ov, sizeof res);
      std::memset(ov, 0, 18 * sizeof(float));
    } else {
      const bool longPart = g.blockType != 2 || (g.mixed && 18 * sb < st.mixedLines);
      if (longPart) {
        l3_imdct_long(xr + 18 * sb, g.blockType == 2 ? 0 : g.blockType, ov, res);
      } else {
        l3_imdct_short(xr + 18 * sb, ov, res);
      }
    }
    if (sb & 1)
      for (int t = 1; t < 18; t += 2) res[t] = -res[t];
    for (int t = 0; t < 18; ++t) out.s[ch][firstSlot + t][sb] = res[t];
  }
}

}  // namespace mpa
