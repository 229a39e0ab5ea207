// Layer III stages per granule, for profiling the decoder: Huffman decoding with requantisation,
// and the inverse MDCT with overlap of long and short blocks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "audio/mpeg/layer3.h"
#include "audio/mpeg/layer3_stages.h"
#include "tests/audio/layer3_frames.h"

namespace {

using namespace mpa;

// One mono MPEG-1 granule of 288 pairs from table 24 (values up to 30, linbits 4).
struct HuffmanGranule {
  std::unique_ptr<Layer3State> st = std::make_unique<Layer3State>();
  std::vector<uint8_t> bytes;
  L3Granule g;

  HuffmanGranule() {
    FrameHeader h;
    h.layer = kLayer3;
    h.bitrateIndex = 14;
    layer3_open(*st, h);
    l3_test::BitWriter w;
    std::mt19937 rng(3);
    std::geometric_distribution<int> mag(0.25);
    for (int i = 0; i < 288; ++i) {
      int v[2] = {std::min(mag(rng), 30), std::min(mag(rng), 30)};
      l3_test::putCode(w, 24, std::min(v[0], 15), std::min(v[1], 15));
      for (int k = 0; k < 2; ++k) {
        if (v[k] >= 15) w.put(static_cast<uint32_t>(v[k] - 15), 4);
        if (v[k]) w.putBit(rng() & 1u);
      }
    }
    bytes = w.bytes();
    g.bigValues = 288;
    g.tableSelect[0] = g.tableSelect[1] = g.tableSelect[2] = 24;
    g.region1Start = st->longStart[8];
    g.region2Start = st->longStart[15];
    g.globalGain = 180;
    g.endBit = w.bits();
    bytes.resize(bytes.size() + kBitPadBytes, 0);
  }
};

void BM_Layer3HuffmanRequantise(benchmark::State& state) {
  HuffmanGranule hg;
  int64_t pos = 0;
  BitReader r;
  r.base = hg.bytes.data();
  r.pos = &pos;
  r.held = static_cast<int64_t>(hg.bytes.size()) - kBitPadBytes;
  for (auto _ : state) {
    pos = 0;
    l3_decode_lines(*hg.st, hg.g, 0, r);
    l3_requantise(*hg.st, hg.g, 0);
    benchmark::DoNotOptimize(hg.st->lines[0][100]);
  }
  state.SetItemsProcessed(state.iterations() * kL3Lines);
}
BENCHMARK(BM_Layer3HuffmanRequantise);

void BM_Layer3InverseMdct(benchmark::State& state) {
  auto st = std::make_unique<Layer3State>();
  FrameHeader h;
  h.layer = kLayer3;
  layer3_open(*st, h);
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  L3Granule g;
  g.blockType = static_cast<int>(state.range(0));
  auto out = std::make_unique<SubbandFrame>();
  std::vector<float> lines(kL3Lines);
  for (float& v : lines) v = u(rng);
  for (auto _ : state) {
    std::copy(lines.begin(), lines.end(), st->lines[0]);
    st->nonzeroEnd[0] = kL3Lines;
    l3_antialias(*st, g, 0, 32);
    l3_hybrid_synthesis(*st, g, 0, 0, 32, *out);
    benchmark::DoNotOptimize(out->s[0][5][5]);
  }
  state.SetItemsProcessed(state.iterations() * kL3Lines);
}
BENCHMARK(BM_Layer3InverseMdct)->Arg(0)->Arg(2);

}  // namespace
