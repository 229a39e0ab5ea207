#include "audio/mpeg/layer3_tables.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>

#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace mpa {

namespace {

void buildPowers(Layer3Tables& t) {
  t.pow43[0] = 0.0f;
  for (int i = 1; i < kL3PowEntries; ++i) t.pow43[i] = static_cast<float>(std::pow(static_cast<double>(i), 4.0 / 3.0));
  for (int g = 0; g < 256; ++g) t.globalGain[g] = static_cast<float>(std::exp2((g - 210) / 4.0));
  for (int i = 0; i < 65; ++i) t.step[i] = static_cast<float>(std::exp2(-i / 2.0));
}

void buildIntensity(Layer3Tables& t) {
  for (int p = 0; p < 32; ++p) {
    const double a = p * std::numbers::pi / 12.0;
    const double s = std::sin(a), c = std::cos(a);
    t.isMpeg1[p][0] = static_cast<float>(s / (c + s));
    t.isMpeg1[p][1] = static_cast<float>(c / (c + s));
  }
  const double bases[2] = {std::exp2(-0.25), std::exp2(-0.5)};
  for (int k = 0; k < 2; ++k) {
    for (int p = 0; p < 32; ++p) {
      if (p & 1) {
        t.isLsf[k][p][0] = static_cast<float>(std::pow(bases[k], (p + 1) / 2));
        t.isLsf[k][p][1] = 1.0f;
      } else {
        t.isLsf[k][p][0] = 1.0f;
        t.isLsf[k][p][1] = static_cast<float>(std::pow(bases[k], p / 2));
      }
    }
  }
}

void buildTransforms(Layer3Tables& t) {
  for (int i = 0; i < 8; ++i) {
    const double c = mpa_tables::antialias_c(i);
    const float cs = 1.0f / table_sqrt(static_cast<float>(1.0 + c * c));
    t.aaCs[i] = cs;
    t.aaCa[i] = static_cast<float>(c) * cs;
  }
  t.msScale = table_sqrt(0.5f);
  for (int m = 0; m < 18; ++m)
    for (int k = 0; k < 18; ++k)
      t.cosLong[m][k] = static_cast<float>(std::cos(std::numbers::pi / 72.0 * (2 * m + 1) * (2 * k + 1)));
  for (int m = 0; m < 6; ++m)
    for (int k = 0; k < 6; ++k)
      t.cosShort[m][k] = static_cast<float>(std::cos(std::numbers::pi / 24.0 * (2 * m + 1) * (2 * k + 1)));
  for (int b = 0; b < 4; ++b) {
    const auto w = mpa_tables::window(b);
    for (int i = 0; i < 36; ++i) t.window[b][i] = i < static_cast<int>(w.size()) ? static_cast<float>(w[i]) : 0.0f;
  }
}

std::once_flag g_once;
std::unique_ptr<Layer3Tables> g_tables;

}  // namespace

const Layer3Tables& layer3_tables() {
  // Decoders may open on several threads at once; the tables never change once built.
  std::call_once(g_once, [] {
    auto t = std::make_unique<Layer3Tables>();
    buildPowers(*t);
    buildIntensity(*t);
    buildTransforms(*t);
    for (int i = 0; i < 34; ++i) t->huff[i] = layer3_build_tree(i);
    g_tables = std::move(t);
  });
  return *g_tables;
}

}  // namespace mpa
