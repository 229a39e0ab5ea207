// The WAV loads on the shared walk: images, files on disk and archive entries give the same
// samples, every "data" chunk in order, and every lie about sizes is refused with its line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/wav.h"
#include "core/pak/pak.h"
#include "tests/audio/wav_builder.h"
#include "tests/engine/pak_fixture.h"

namespace {

using wav_test::Chunk;
using wav_test::fmtPayload;
using wav_test::riffWave;
using Bytes = std::vector<uint8_t>;

Bytes run(size_t n, uint8_t first) {
  Bytes v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(first + i);
  return v;
}

Bytes cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

enum class Road { Image, Disk, Archive };
const char* road_name(Road r) { return r == Road::Image ? "image" : r == Road::Disk ? "disk" : "archive"; }

class WavWalkerLoad : public pak_test::PakTest {
 protected:
  void TearDown() override {
    if (archive_) pak_close_archive(archive_);
    PakTest::TearDown();
  }
  // Loads the bytes on one road; the file roads name the file "EFC\\t<n>.wav".
  WAV_SAMPLE* load(Road road, const Bytes& bytes, std::string* name = nullptr) {
    const std::string n = "EFC\\t" + std::to_string(count_++) + ".wav";
    if (name) *name = n;
    switch (road) {
      case Road::Image:
        return wav_load_image(bytes.empty() ? reinterpret_cast<const uint8_t*>("") : bytes.data(),
                              static_cast<uint32_t>(bytes.size()));
      case Road::Disk:
        writeFile("EFC/t" + std::to_string(count_ - 1) + ".wav", bytes);
        return wav_load_file(n.c_str());
      case Road::Archive:
        if (archive_) pak_close_archive(archive_);
        archive_ = packAndOpen({{n, bytes}, {"other.bin", {1, 2, 3}}});
        return wav_load_file(n.c_str());
    }
    return nullptr;
  }
  PAK_ARCHIVE* archive_ = nullptr;
  int count_ = 0;
};

TEST_F(WavWalkerLoad, GoodSamplesOnEveryRoad) {
  const Bytes a = run(30, 1), b = run(12, 100), c = run(40, 7);
  plat::ByteWriter junkFirst;
  wav_test::putChunk(junkFirst, {"JUNK", run(6, 0)});
  const Bytes plain = riffWave({{"fmt ", fmtPayload(1, 11025, 11025, 1, 8)}, {"data", c}});
  junkFirst.bytes(plain.data(), plain.size());
  struct Case {
    const char* what;
    Bytes file;
    Bytes pcm;
    uint16_t channels, bits;
  } cases[] = {
      {"LIST before fmt, two data chunks around a cue",
       riffWave({{"LIST", run(10, 0)}, {"fmt ", fmtPayload(2, 22050, 88200, 4, 16)}, {"data", a}, {"cue ", run(4, 9)},
                 {"data", b}}),
       cat(a, b), 2, 16},
      {"a leading non-RIFF chunk", junkFirst.take(), c, 1, 8},
      {"fmt of 18 bytes", riffWave({{"fmt ", fmtPayload(1, 11025, 11025, 1, 8, 18)}, {"data", a}}), a, 1, 8},
      {"no data at all", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16)}}), {}, 2, 16},
  };
  for (Road road : {Road::Image, Road::Disk, Road::Archive}) {
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(road_name(road)) + ": " + k.what);
      WAV_SAMPLE* s = load(road, k.file);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->data_size, k.pcm.size());
      EXPECT_EQ(s->reserved, -1);
      EXPECT_EQ(s->format.channels, k.channels);
      EXPECT_EQ(s->format.bits_per_sample, k.bits);
      EXPECT_EQ(s->format.extra_size, 0);
      EXPECT_EQ(Bytes(s->pcm(), s->pcm() + s->data_size), k.pcm);
      wav_free(&s);
      EXPECT_EQ(s, nullptr);
    }
  }
  EXPECT_TRUE(logLines().empty());
}

TEST_F(WavWalkerLoad, LiesAboutSizesAreRefusedWithTheirLine) {
  const auto fmt = fmtPayload(2, 22050, 88200, 4, 16);
  const std::vector<std::pair<const char*, Bytes>> faults = {
      {"fmt of 15 bytes", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16, 15)}, {"data", run(4, 0)}})},
      {"fmt of 19 bytes", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 4, 16, 19)}, {"data", run(4, 0)}})},
      {"data past the end", riffWave({{"fmt ", fmt}, {"data", run(8, 0), 9}})},
      {"data far past the end", riffWave({{"fmt ", fmt}, {"data", run(8, 0), 0x7FFFFFF0}})},
      {"fmt past the end", riffWave({{"fmt ", run(10, 0), 16}})},
      {"RIFF past the end", riffWave({{"fmt ", fmt}, {"data", run(8, 0)}}, 1000)},
      {"0 channels", riffWave({{"fmt ", fmtPayload(0, 22050, 88200, 4, 16)}, {"data", run(4, 0)}})},
      {"0 block align", riffWave({{"fmt ", fmtPayload(2, 22050, 88200, 0, 16)}, {"data", run(4, 0)}})},
      {"cut inside a header", Bytes{'R', 'I', 'F', 'F', 40, 0}},
      {"empty", {}},
  };
  for (Road road : {Road::Image, Road::Disk, Road::Archive}) {
    for (const auto& [what, bytes] : faults) {
      SCOPED_TRACE(std::string(road_name(road)) + ": " + what);
      clearLog();
      std::string name;
      WAV_SAMPLE* s = load(road, bytes, &name);
      EXPECT_EQ(s, nullptr);
      const std::string line = road == Road::Image ? "get buffer wav format error" : "get wav " + name + " format error";
      EXPECT_EQ(logLines(), std::vector<std::string>{line});
      wav_free(&s);
    }
  }
  clearLog();
  EXPECT_EQ(wav_load_file("EFC\\none.wav"), nullptr);
  EXPECT_EQ(logLines(), std::vector<std::string>{"open file EFC\\none.wav error"});
}

// The data readers fill exactly what the header promised, never less and never more.
TEST_F(WavWalkerLoad, DataReadersFillExactlyTheCapacity) {
  const Bytes a = run(6, 1), b = run(4, 50);
  const Bytes image = riffWave({{"fmt ", fmtPayload(1, 8000, 8000, 1, 8)}, {"data", a}, {"data", b}});
  uint32_t offset = 0, remaining = 0, bytes = 0;
  ASSERT_EQ(wav_parse_image(image.data(), static_cast<uint32_t>(image.size()), &offset, nullptr, &remaining, &bytes), 0);
  ASSERT_EQ(bytes, 10u);
  Bytes out(12, 0xEE);
  const uint32_t len = static_cast<uint32_t>(image.size());
  EXPECT_EQ(wav_copy_image_data(image.data(), len, offset, out.data(), 10, remaining), 0);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), cat(a, b));
  EXPECT_EQ(out[10], 0xEE);
  EXPECT_EQ(wav_copy_image_data(image.data(), len, offset, out.data(), 11, remaining), -1) << "one byte never read";
  EXPECT_EQ(wav_copy_image_data(image.data(), len, offset, out.data(), 9, remaining), -1) << "one byte too many";
  EXPECT_EQ(wav_copy_image_data(image.data(), len - 1, offset, out.data(), 10, remaining), -1) << "image cut short";
  EXPECT_EQ(wav_copy_image_data(image.data(), len, offset, out.data(), 10, remaining + 8), -1) << "walk past the end";

  // The file road: a stream cut after its header was read is a data error.
  writeFile("cut.wav", image);
  PAK_FILE* f = pak_fopen("cut.wav", "rb");
  ASSERT_NE(f, nullptr);
  WAV_FORMAT format{};
  ASSERT_EQ(wav_read_header(f, &format, &remaining, &bytes), 0);
  EXPECT_EQ(pak_ftell(f), static_cast<long>(offset));
  std::fill(out.begin(), out.end(), 0xEE);
  EXPECT_EQ(wav_read_data(f, out.data(), 10, remaining), 0);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 10), cat(a, b));
  pak_fseek(f, static_cast<long>(offset), 0);
  EXPECT_EQ(wav_read_data(f, out.data(), 12, remaining), -1);
  pak_fclose(f);
}

}  // namespace
