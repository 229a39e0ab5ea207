// The WAV walker: the format and data size of good images, and every size the data lies about.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "audio/wav.h"
#include "core/pak/pak.h"
#include "engine/system/system.h"
#include "tests/audio/wav_builder.h"
#include "tests/support/headless_fixture.h"

namespace {

using wav_test::Chunk;
using wav_test::fmtPayload;
using wav_test::riffWave;

std::vector<uint8_t> bytes(size_t n) { return std::vector<uint8_t>(n, 0x11); }

struct WalkCase {
  const char* what;
  std::vector<uint8_t> image;
  int32_t result;
  uint32_t data_bytes;
};

TEST(WavWalker, Table) {
  const auto fmt = fmtPayload(2, 22050, 88200, 4, 16);
  plat::ByteWriter junkFirst;  // a chunk before the RIFF is skipped
  wav_test::putChunk(junkFirst, {"JUNK", bytes(6)});
  {
    const auto w = wav_test::pcmWave(100);
    junkFirst.bytes(w.data(), w.size());
  }
  std::vector<WalkCase> cases = {
      {"plain", wav_test::pcmWave(100), 0, 100},
      {"LIST before fmt and two data chunks",
       riffWave({{"LIST", bytes(10)}, {"fmt ", fmt}, {"data", bytes(30)}, {"cue ", bytes(4)}, {"data", bytes(12)}}), 0,
       42},
      {"fmt of 18 bytes", riffWave({{"fmt ", fmtPayload(1, 11025, 11025, 1, 8, 18)}, {"data", bytes(5)}}), 0, 5},
      {"junk chunk before the RIFF", junkFirst.take(), 0, 100},
      {"no data chunk", riffWave({{"fmt ", fmt}}), 0, 0},
      {"fmt of 15 bytes", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16, 15)}, {"data", bytes(4)}}), -1, 0},
      {"fmt of 19 bytes", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16, 19)}, {"data", bytes(4)}}), -1, 0},
      {"data chunk past the end", riffWave({{"fmt ", fmt}, {"data", bytes(8), 9}}), -1, 0},
      {"fmt chunk past the end", riffWave({{"fmt ", bytes(10), 16}}), -1, 0},
      {"RIFF past the end", riffWave({{"fmt ", fmt}, {"data", bytes(8)}}, 1000), -1, 0},
      {"RIFF smaller than its form", riffWave({}, 2), -1, 0},
      {"0 channels", riffWave({{"fmt ", fmtPayload(0, 22050, 88200, 4, 16)}, {"data", bytes(4)}}), -1, 0},
      {"0 block align", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 0, 16)}, {"data", bytes(4)}}), -1, 0},
      {"header cut inside a chunk header", std::vector<uint8_t>{'R', 'I', 'F'}, -1, 0},
      {"no fmt anywhere", riffWave({{"data", bytes(4)}}), -1, 0},
      {"not WAVE", [] {
         auto v = riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16)}});
         v[8] = 'X';
         return v;
       }(), -1, 0},
      {"empty", {}, -1, 0},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.what);
    WAV_FORMAT f{};
    uint32_t offset = 0, remaining = 0, data = 0xDEAD;
    const int32_t r = wav_parse_image(c.image.empty() ? reinterpret_cast<const uint8_t*>("") : c.image.data(),
                                      static_cast<uint32_t>(c.image.size()), &offset, &f, &remaining, &data);
    EXPECT_EQ(r, c.result);
    if (r == 0) {
      EXPECT_EQ(data, c.data_bytes);
    }
  }
  EXPECT_EQ(wav_parse_image(nullptr, 10, nullptr, nullptr, nullptr, nullptr), -1);
}

TEST(WavWalker, OffsetsAndFormat) {
  const auto image = riffWave({{"LIST", bytes(6)}, {"fmt ", fmtPayload(1, 11025, 22050, 2, 16, 18)}, {"data", bytes(7)}});
  WAV_FORMAT f{};
  uint32_t offset = 0, remaining = 0, data = 0;
  ASSERT_EQ(wav_parse_image(image.data(), static_cast<uint32_t>(image.size()), &offset, &f, &remaining, &data), 0);
  // RIFF header 8, WAVE 4, LIST 8 + 6, fmt header 8 + 18.
  EXPECT_EQ(offset, 52u);
  EXPECT_EQ(remaining, 8u + 7u);
  EXPECT_EQ(f.channels, 1);
  EXPECT_EQ(f.samples_per_sec, 11025u);
  EXPECT_EQ(f.avg_bytes_per_sec, 22050u);
  EXPECT_EQ(f.block_align, 2);
  EXPECT_EQ(f.bits_per_sample, 16);
  EXPECT_EQ(f.extra_size, 0);
}

TEST(WavWalker, Duration) {
  EXPECT_EQ(wav_duration_ms(88200, 88200), 1000u);
  EXPECT_EQ(wav_duration_ms(44100, 88200), 500u);
  EXPECT_EQ(wav_duration_ms(7, 0), 7000u);  // a zero average divides by 1
  // The unsigned 32-bit product wraps above about 4.29 MB: 5,000,000 x 1000 mod 2^32.
  EXPECT_EQ(wav_duration_ms(5000000, 1), static_cast<uint32_t>(5000000ull * 1000ull));
}

class WavWalkerFile : public veldra_test::HeadlessTest {
 protected:
  void put(const std::string& name, const std::vector<uint8_t>& v) {
    dir.write(name, std::string(v.begin(), v.end()));
  }
};

TEST_F(WavWalkerFile, InfoFromAFile) {
  put("EFC/a.wav", wav_test::pcmWave(44100));
  uint32_t ch = 0, rate = 0, bits = 0, data = 0, ms = 0;
  ASSERT_EQ(wav_get_file_info("EFC\\a.wav", &ch, &rate, &bits, &data, &ms), 0);
  EXPECT_EQ(ch, 2u);
  EXPECT_EQ(rate, 22050u);
  EXPECT_EQ(bits, 16u);
  EXPECT_EQ(data, 44100u);
  EXPECT_EQ(ms, 500u);
  EXPECT_EQ(wav_get_file_info("EFC\\a.wav", nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(WavWalkerFile, MissingAndBadFilesGiveMinus2) {
  put("bad.wav", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16)}, {"data", bytes(4), 400}}));
  uint32_t ms = 77;
  EXPECT_EQ(wav_get_file_info("nothing.wav", nullptr, nullptr, nullptr, nullptr, &ms), -2);
  EXPECT_EQ(wav_get_file_info("bad.wav", nullptr, nullptr, nullptr, nullptr, &ms), -2);
  EXPECT_EQ(ms, 77u);
}

// Two "data" chunks whose sizes sum past 2^31, in a sparse file that really is that long.
TEST_F(WavWalkerFile, DataSizesSummingAbove2Pow31AreRefused) {
  const uint32_t a = 0x40000001u, b = 0x40000000u;
  const uint64_t total = 44ull + a + 8 + b;
  plat::ByteWriter head;
  head.bytes("RIFF", 4);
  head.u32(static_cast<uint32_t>(total - 8));
  head.bytes("WAVE", 4);
  wav_test::putChunk(head, {"fmt ", fmtPayload(2, 22050, 88200, 4, 16)});
  head.bytes("data", 4);
  head.u32(a);
  plat::ByteWriter second;
  second.bytes("data", 4);
  second.u32(b);
  const std::string path = dir.hostPath("big.wav");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(head.data().data()), static_cast<std::streamsize>(head.size()));
    out.seekp(static_cast<std::streamoff>(44ull + a));
    out.write(reinterpret_cast<const char*>(second.data().data()), static_cast<std::streamsize>(second.size()));
  }
  std::error_code ec;
  std::filesystem::resize_file(path, total, ec);
  if (ec) GTEST_SKIP() << "no room for a sparse file: " << ec.message();
  EXPECT_EQ(wav_get_file_info("big.wav", nullptr, nullptr, nullptr, nullptr, nullptr), -2);
  // One chunk less stays below the limit and is read.
  std::filesystem::resize_file(path, 44ull + a, ec);
  std::fstream patch(path, std::ios::binary | std::ios::in | std::ios::out);
  plat::ByteWriter riff;
  riff.u32(static_cast<uint32_t>(36ull + a));
  patch.seekp(4);
  patch.write(reinterpret_cast<const char*>(riff.data().data()), 4);
  patch.close();
  uint32_t data = 0;
  EXPECT_EQ(wav_get_file_info("big.wav", nullptr, nullptr, nullptr, &data, nullptr), 0);
  EXPECT_EQ(data, a);
}

}  // namespace
