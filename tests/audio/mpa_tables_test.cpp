// The compiled-in MPEG audio tables: spot checks that a wrong parse would break, and the
// generator refusing data whose columns differ from its README.
#include <gtest/gtest.h>

#ifdef VELDRA_MPA_TABLES
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <set>
#include <sstream>
#include <string>

#include "audio/mpeg/tables/mpa_tables.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_game_dir.h"

namespace {

using namespace mpa_tables;

std::string codeString(const HuffmanCode& c) {
  std::string s;
  for (int i = c.length - 1; i >= 0; --i) s += ((c.bits >> i) & 1) ? '1' : '0';
  return s;
}

TEST(MpaTables, HuffmanTablesAreCompletePrefixCodesWithTheirLinbits) {
  for (int t : {0, 4, 14}) EXPECT_TRUE(huffman(t).codes.empty()) << t;
  EXPECT_TRUE(huffman(34).codes.empty());
  EXPECT_TRUE(huffman(-1).codes.empty());
  for (int t = 1; t <= 33; ++t) {
    if (t == 4 || t == 14) continue;
    HuffmanTable h = huffman(t);
    ASSERT_FALSE(h.codes.empty()) << t;
    // Big-value tables hold every (x, y) pair of a square; count1 tables their 16 quadruples.
    size_t side = static_cast<size_t>(std::lround(std::sqrt(static_cast<double>(h.codes.size()))));
    if (t >= 32) {
      EXPECT_EQ(h.codes.size(), 16u) << t;
    } else {
      EXPECT_EQ(side * side, h.codes.size()) << t;
    }
    double kraft = 0;
    std::set<std::string> codes;
    std::set<int> values;
    for (const HuffmanCode& c : h.codes) {
      ASSERT_LT(c.bits, 1u << c.length) << t;
      kraft += std::ldexp(1.0, -c.length);
      codes.insert(codeString(c));
      values.insert(c.x * 16 + c.y);
      if (t >= 32) {
        EXPECT_EQ(c.x, 0) << t;
      }
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0) << t;
    EXPECT_EQ(codes.size(), h.codes.size()) << t;
    EXPECT_EQ(values.size(), h.codes.size()) << t;
    for (auto a = codes.begin(); a != codes.end(); ++a) {
      auto b = std::next(a);
      if (b != codes.end()) {
        EXPECT_NE(b->rfind(*a, 0), 0u) << t << ": " << *a << " prefixes " << *b;
      }
    }
  }
  const int linbits[2][8] = {{1, 2, 3, 4, 6, 8, 10, 13}, {4, 5, 6, 7, 8, 9, 11, 13}};
  for (int g = 0; g < 2; ++g) {
    const int base = g ? 24 : 16;
    for (int i = 0; i < 8; ++i) {
      HuffmanTable h = huffman(base + i), first = huffman(base);
      EXPECT_EQ(h.linbits, linbits[g][i]) << base + i;
      ASSERT_EQ(h.codes.size(), 256u);
      for (size_t k = 0; k < 256; ++k) {
        EXPECT_EQ(h.codes[k].bits, first.codes[k].bits);
        EXPECT_EQ(h.codes[k].length, first.codes[k].length);
      }
    }
  }
  for (int t = 1; t <= 15; ++t) EXPECT_EQ(huffman(t).linbits, 0) << t;
}

TEST(MpaTables, ScalefactorBandsCoverTheirLinesPerRate) {
  for (int rate : {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000}) {
    for (bool shortBlock : {false, true}) {
      auto bands = scalefactor_bands(rate, shortBlock);
      ASSERT_EQ(bands.size(), shortBlock ? 13u : 22u) << rate;
      EXPECT_EQ(bands.front().start, 0);
      EXPECT_EQ(bands.back().end, shortBlock ? 192 : 576) << rate;
      for (size_t i = 1; i < bands.size(); ++i) EXPECT_EQ(bands[i].start, bands[i - 1].end) << rate;
    }
  }
  EXPECT_TRUE(scalefactor_bands(44000, false).empty());
  // The 24 kHz long table ends 278, 332, 394, 464, 540, 576.
  auto b24 = scalefactor_bands(24000, false);
  const int tail[6] = {278, 332, 394, 464, 540, 576};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b24[16 + i].end, tail[i]);
  // 16, 11.025 and 12 kHz share a long table; 11.025 and 12 kHz the 16 kHz short one; 8 kHz its own.
  auto same = [](std::span<const Band> a, std::span<const Band> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](Band x, Band y) { return x.start == y.start && x.end == y.end; });
  };
  for (int rate : {11025, 12000}) {
    EXPECT_TRUE(same(scalefactor_bands(rate, false), scalefactor_bands(16000, false))) << rate;
    EXPECT_TRUE(same(scalefactor_bands(rate, true), scalefactor_bands(16000, true))) << rate;
  }
  EXPECT_FALSE(same(scalefactor_bands(8000, true), scalefactor_bands(16000, true)));
  EXPECT_FALSE(same(scalefactor_bands(44100, false), scalefactor_bands(48000, false)));
}

TEST(MpaTables, LayerThreeSmallTables) {
  // Windows: sin(pi/36 (i + 1/2)) long, sin(pi/12 (i + 1/2)) short; long windows are power
  // complementary.
  auto w0 = window(0), w2 = window(2);
  ASSERT_EQ(w0.size(), 36u);
  ASSERT_EQ(w2.size(), 12u);
  ASSERT_EQ(window(1).size(), 36u);
  ASSERT_EQ(window(3).size(), 36u);
  EXPECT_TRUE(window(4).empty());
  for (int i = 0; i < 36; ++i) EXPECT_NEAR(w0[i], std::sin(std::numbers::pi / 36 * (i + 0.5)), 1e-12) << i;
  for (int i = 0; i < 12; ++i) EXPECT_NEAR(w2[i], std::sin(std::numbers::pi / 12 * (i + 0.5)), 1e-12) << i;
  for (int i = 0; i < 18; ++i) EXPECT_NEAR(w0[i] * w0[i] + w0[i + 18] * w0[i + 18], 1.0, 1e-12) << i;
  EXPECT_DOUBLE_EQ(window(1)[0], w0[0]);
  EXPECT_DOUBLE_EQ(window(3)[35], w0[35]);

  EXPECT_DOUBLE_EQ(antialias_c(0), -0.6);
  EXPECT_DOUBLE_EQ(antialias_c(1), -0.535);
  for (int i = 0; i < 8; ++i) EXPECT_LT(antialias_c(i), 0.0) << i;

  EXPECT_EQ(slen_mpeg1(0).slen1, 0);
  EXPECT_EQ(slen_mpeg1(1).slen2, 1);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(pretab(i), 0) << i;
  EXPECT_GT(pretab(11), 0);

  // Rows change at the field's boundaries 399/400, 499/500 (ordinary) and 179/180, 243/244
  // (intensity right channel); below 400 the four lengths follow from the field's digits.
  const struct { bool ir; int sc; int row; } rows[] = {
      {false, 0, 0}, {false, 399, 0}, {false, 400, 1}, {false, 499, 1}, {false, 500, 2}, {false, 511, 2},
      {true, 0, 3},  {true, 179, 3},  {true, 180, 4},  {true, 243, 4},  {true, 244, 5},  {true, 255, 5}};
  for (auto r : rows) EXPECT_EQ(lsf_slen(r.ir, r.sc).row, r.row) << r.ir << " " << r.sc;
  for (int sc = 0; sc < 400; ++sc) {
    LsfSlen s = lsf_slen(false, sc);
    EXPECT_EQ(s.slen[0], (sc >> 4) / 5) << sc;
    EXPECT_EQ(s.slen[1], (sc >> 4) % 5) << sc;
    EXPECT_EQ(s.slen[2], (sc % 16) >> 2) << sc;
    EXPECT_EQ(s.slen[3], sc % 4) << sc;
    EXPECT_FALSE(s.preflag) << sc;
  }
  EXPECT_TRUE(lsf_slen(false, 500).preflag);
  LsfPartition p = lsf_partition(1, PartitionBlock::Short);
  EXPECT_EQ(p.count[0] + p.count[1] + p.count[2] + p.count[3], 36);
  EXPECT_EQ(lsf_partition(2, PartitionBlock::Mixed).count[0], 15);
}

TEST(MpaTables, LayerTwoAllocationAndBitrates) {
  const struct { Layer2Table t; int subbands; } tables[] = {
      {Layer2Table::A, 27}, {Layer2Table::B, 30}, {Layer2Table::C, 8}, {Layer2Table::D, 12}, {Layer2Table::Lsf, 30}};
  for (auto [t, n] : tables) {
    EXPECT_EQ(layer2_subbands(t), n);
    for (int sb = 0; sb < n; ++sb) {
      Layer2Allocation a = layer2_allocation(t, sb);
      ASSERT_GE(a.nbal, 2);
      EXPECT_EQ(a.levels.size(), (1u << a.nbal) - 1);
      for (size_t i = 1; i < a.levels.size(); ++i) EXPECT_GT(a.levels[i], a.levels[i - 1]);
    }
    EXPECT_TRUE(layer2_allocation(t, n).levels.empty());
  }
  Layer2Allocation a0 = layer2_allocation(Layer2Table::A, 0);
  EXPECT_EQ(a0.nbal, 4);
  EXPECT_EQ(a0.levels.front(), 3u);
  EXPECT_EQ(a0.levels.back(), 65535u);

  EXPECT_EQ(bitrate_kbps(false, 3, 9), 128);
  EXPECT_EQ(bitrate_kbps(false, 1, 14), 448);
  EXPECT_EQ(bitrate_kbps(false, 2, 14), 384);
  EXPECT_EQ(bitrate_kbps(false, 3, 14), 320);
  EXPECT_EQ(bitrate_kbps(true, 3, 8), 64);
  for (int layer = 1; layer <= 3; ++layer)
    for (bool lsf : {false, true}) {
      EXPECT_EQ(bitrate_kbps(lsf, layer, 0), 0);
      EXPECT_EQ(bitrate_kbps(lsf, layer, 15), 0);
    }
  EXPECT_EQ(bitrate_kbps(false, 4, 1), 0);
}

// Copies the data, applies one edit, runs the generator; its exit status.
int runGenerator(const veldra_test::TempGameDir& dir, const std::string& file, const std::string& from,
                 const std::string& to) {
  namespace fs = std::filesystem;
  fs::copy(MPA_TABLES_DATA, dir.hostPath("data"), fs::copy_options::recursive);
  if (!file.empty()) {
    std::string text = dir.read("data/" + file);
    size_t at = text.find(from);
    if (at == std::string::npos) return -100;
    text.replace(at, from.size(), to);
    dir.write("data/" + file, text);
  }
  int pid = veldra_test::startProcess(MPA_TABLES_GEN, {dir.hostPath("data"), dir.hostPath("out.cpp")},
                                      {{"ASAN_OPTIONS", "detect_leaks=0"}}, dir.hostPath("stderr.txt"));
  if (pid < 0) return -101;
  auto rc = veldra_test::waitProcess(pid, 60000);
  if (!rc) {
    veldra_test::stopProcess(pid);
    return -102;
  }
  return *rc;
}

TEST(MpaTables, GeneratorRefusesColumnsThatDifferFromTheReadme) {
  {
    veldra_test::TempGameDir dir;
    EXPECT_EQ(runGenerator(dir, "", "", ""), 0);
    EXPECT_TRUE(dir.exists("out.cpp"));
  }
  const struct { const char* file; const char* from; const char* to; } faults[] = {
      {"huffman.csv", "table,linbits,x,y", "table,linbit,x,y"},
      {"huffman.csv", "length,code", "code,length"},
      {"scalefactor_bands.csv", "rate,block,band,start,end", "rate,block,band,start"},
      {"layer3_lsf_partitions.csv", "p0,p1,p2,p3", "p0,p1,p2,p3,p4"},
      {"layer2_allocation.csv", "nbal", "bits"},
      {"README.md", "`linbits`", "`lin_bits`"},
      {"README.md", "`p0`..`p3`", "`p0`..`p2`"},
      {"bitrates.csv", "mpeg1,III,9,128", "mpeg1,III,9"},
  };
  for (auto f : faults) {
    veldra_test::TempGameDir dir;
    EXPECT_EQ(runGenerator(dir, f.file, f.from, f.to), 1) << f.file << ": " << f.to;
    EXPECT_FALSE(dir.exists("out.cpp")) << f.file;
  }
}

}  // namespace

#else
TEST(MpaTables, NotBuilt) { GTEST_SKIP() << "the MPEG audio table data was not found at configure time"; }
#endif
