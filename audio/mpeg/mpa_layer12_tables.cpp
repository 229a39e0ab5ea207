#include <cmath>
#include <mutex>

#include "audio/mpeg/mpa_layer12.h"

namespace mpa {

namespace {

Layer12Tables g_tables;
std::once_flag g_once;

int class_of_levels(uint32_t levels) {
  if (levels == 3) return 0;
  if (levels == 5) return 1;
  if (levels == 9) return 2;
  for (int n = 3; n <= 16; ++n) {
    if (levels == (1u << n) - 1) return n;
  }
  return -1;
}

void build(Layer12Tables& t) {
  for (int i = 0; i < 63; ++i) t.scale[i] = static_cast<float>(std::pow(2.0, (3 - i) / 3.0));
  t.scale[63] = 0.0f;
  for (int a = 0; a < 16; ++a) t.step1[a] = static_cast<float>(2.0 / (std::pow(2.0, a + 1) - 1.0));
  const int grouped[3][3] = {{3, 5, 1}, {5, 7, 2}, {9, 10, 4}};
  for (int c = 0; c < 3; ++c) {
    t.classes[c] = {grouped[c][0], grouped[c][1], grouped[c][2], static_cast<float>(2.0 / grouped[c][0])};
  }
  for (int n = 3; n <= 16; ++n) {
    t.classes[n] = {0, n, (1 << (n - 1)) - 1, static_cast<float>(2.0 / (std::pow(2.0, n) - 1.0))};
  }
  for (int tab = 0; tab < 5; ++tab) {
    for (int sb = 0; sb < 32; ++sb) {
      const auto alloc = mpa_tables::layer2_allocation(static_cast<mpa_tables::Layer2Table>(tab), sb);
      for (int code = 0; code < 16; ++code) {
        const size_t i = static_cast<size_t>(code) - 1;
        t.classOf[tab][sb][code] =
            static_cast<int8_t>(code > 0 && i < alloc.levels.size() ? class_of_levels(alloc.levels[i]) : -1);
      }
    }
  }
}

}  // namespace

const Layer12Tables& layer12_tables() {
  std::call_once(g_once, [] { build(g_tables); });
  return g_tables;
}

}  // namespace mpa
