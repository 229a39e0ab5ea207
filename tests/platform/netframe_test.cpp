// The link framing: golden bytes (the client module and the test server share this code, so a
// round trip alone would hide a shared mistake) and the incremental decoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plat/netframe.h"

namespace {

namespace nf = plat::netframe;
using Bytes = std::vector<uint8_t>;

Bytes frameBytes(uint32_t id, int32_t arg, const Bytes& payload) {
  Bytes out;
  nf::append(out, id, arg, payload.data(), static_cast<uint32_t>(payload.size()));
  return out;
}

TEST(NetFrame, Golden) {
  EXPECT_EQ(frameBytes(0x20000, -1, {0x61, 0x62, 0x63}),
            (Bytes{0x03, 0, 0, 0, 0x00, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x62, 0x63}));
  // The world link's hello: id 0, argument = the version value.
  EXPECT_EQ(frameBytes(nf::kHelloId, 0x2030001, {}), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0x03, 0x02}));
}

TEST(NetFrame, GoldenLoginBlock) {
  uint8_t block[64];
  nf::loginBlock("abc", "pw", block);
  Bytes want(64, 0);
  want[0] = 'a', want[1] = 'b', want[2] = 'c';
  want[32] = 'p', want[33] = 'w';
  EXPECT_EQ(Bytes(block, block + 64), want);

  const std::string a(40, 'A'), p(40, 'B');
  nf::loginBlock(a.c_str(), p.c_str(), block);
  Bytes cut(64, 0);
  for (int i = 0; i < 31; ++i) cut[i] = 'A', cut[32 + i] = 'B';
  EXPECT_EQ(Bytes(block, block + 64), cut);  // offsets 31 and 63 stay NUL
}

struct Seen {
  uint32_t id;
  int32_t arg;
  std::string payload;
};

std::vector<Seen> drain(nf::Decoder& d) {
  std::vector<Seen> out;
  nf::Frame f;
  while (d.next(f) == nf::Decoder::Result::Frame)
    out.push_back({f.id, f.arg, std::string(reinterpret_cast<const char*>(f.payload), f.length)});
  return out;
}

TEST(NetFrame, DecoderTakesInputSplitAnywhere) {
  Bytes stream = frameBytes(7, -5, {'h', 'i'});
  Bytes second = frameBytes(8, 1, {});
  Bytes third = frameBytes(9, 2, Bytes(300, 'z'));
  stream.insert(stream.end(), second.begin(), second.end());
  stream.insert(stream.end(), third.begin(), third.end());

  // One byte at a time (the header is split too), then everything in one piece.
  nf::Decoder bytewise;
  std::vector<Seen> got;
  for (uint8_t b : stream) {
    bytewise.feed(&b, 1);
    for (Seen& s : drain(bytewise)) got.push_back(s);
  }
  nf::Decoder whole;
  whole.feed(stream.data(), stream.size());
  std::vector<Seen> all = drain(whole);

  for (const std::vector<Seen>* v : {&got, &all}) {
    ASSERT_EQ(v->size(), 3u);
    EXPECT_EQ((*v)[0].id, 7u);
    EXPECT_EQ((*v)[0].arg, -5);
    EXPECT_EQ((*v)[0].payload, "hi");
    EXPECT_EQ((*v)[1].id, 8u);
    EXPECT_EQ((*v)[1].payload, "");
    EXPECT_EQ((*v)[2].payload, std::string(300, 'z'));
  }
  EXPECT_EQ(whole.buffered(), 0u);
}

TEST(NetFrame, DecoderRefusesLengthAboveCapWithoutAllocating) {
  nf::Decoder d(16);
  Bytes atCap = frameBytes(1, 0, Bytes(16, 1));
  d.feed(atCap.data(), atCap.size());
  nf::Frame f;
  ASSERT_EQ(d.next(f), nf::Decoder::Result::Frame);
  EXPECT_EQ(f.length, 16u);

  // A header announcing 4 GiB: refused at once, nothing reserved for it, and it stays refused.
  auto h = nf::header(0xFFFFFFFFu, 2, 0);
  d.feed(h.data(), h.size());
  EXPECT_EQ(d.next(f), nf::Decoder::Result::TooLong);
  EXPECT_LT(d.capacity(), 1024u);
  EXPECT_FALSE(d.hasFrame());
  Bytes more = frameBytes(3, 0, {});
  d.feed(more.data(), more.size());
  EXPECT_EQ(d.next(f), nf::Decoder::Result::TooLong);
  d.reset();
  d.feed(more.data(), more.size());
  EXPECT_EQ(d.next(f), nf::Decoder::Result::Frame);
}

TEST(NetFrame, PayloadsStayValidUntilMoreInputArrives) {
  nf::Decoder d;
  Bytes two = frameBytes(1, 0, {'a', 'b'});
  Bytes b2 = frameBytes(2, 0, {'c', 'd'});
  two.insert(two.end(), b2.begin(), b2.end());
  d.feed(two.data(), two.size());
  nf::Frame f1, f2;
  ASSERT_EQ(d.next(f1), nf::Decoder::Result::Frame);
  ASSERT_EQ(d.next(f2), nf::Decoder::Result::Frame);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(f1.payload), 2), "ab");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(f2.payload), 2), "cd");

  // A buffer handed away keeps the payload readable while the decoder starts afresh.
  d.feed(two.data(), two.size());
  ASSERT_EQ(d.next(f1), nf::Decoder::Result::Frame);
  std::vector<uint8_t> kept = d.takeBuffer();
  EXPECT_EQ(d.buffered(), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(f1.payload), 2), "ab");
  EXPECT_FALSE(d.hasFrame());
}

}  // namespace
