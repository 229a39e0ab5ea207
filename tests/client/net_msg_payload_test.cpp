// The bounded payload view: every read past the payload throws the reader's error, texts stay
// inside the payload and their bound, and record counts are checked without overflow.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "client/net_msg/payload.h"

namespace {

using net_msg::Payload;

Payload view(const std::vector<uint8_t>& b) { return Payload(b.data(), static_cast<uint32_t>(b.size())); }

TEST(NetMsgPayload, ReadsAreLittleEndianAndBounded) {
  const std::vector<uint8_t> b = {0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF};
  const Payload p = view(b);
  EXPECT_EQ(p.u8(5), 0xFF);
  EXPECT_EQ(p.u16(0), 0x0201);
  EXPECT_EQ(p.i16(4), -2);
  EXPECT_EQ(p.u32(0), 0x04030201u);
  EXPECT_EQ(p.i32(2), static_cast<int32_t>(0xFFFE0403u));
  EXPECT_EQ(p.bytes(1, 5).size(), 5u);
  EXPECT_EQ(p.bytes(6, 0).size(), 0u);

  struct Case {
    const char* what;
    std::function<void()> read;
  };
  const Case past[] = {
      {"u8 at the end", [&] { p.u8(6); }},
      {"u16 across the end", [&] { p.u16(5); }},
      {"u32 across the end", [&] { p.u32(3); }},
      {"i32 far out", [&] { p.i32(std::numeric_limits<size_t>::max() - 1); }},
      {"bytes past", [&] { p.bytes(2, 5); }},
      {"bytes huge", [&] { p.bytes(0, std::numeric_limits<size_t>::max()); }},
      {"offset past", [&] { p.reader(7); }},
      {"text offset past", [&] { p.text(7, 4); }},
  };
  for (const Case& c : past) EXPECT_THROW(c.read(), plat::MalformedInput) << c.what;
}

TEST(NetMsgPayload, NullOrEmptyPayloadIsEmpty) {
  const Payload none(nullptr, 100);  // a length without bytes counts as nothing
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.size(), 0u);
  EXPECT_THROW(none.u8(0), plat::MalformedInput);
  EXPECT_EQ(none.text(0, 16), "");
  EXPECT_EQ(none.records(0, 84).remaining(), 0u);
  EXPECT_THROW(none.records(1, 84), plat::MalformedInput);
  EXPECT_TRUE(Payload().empty());
}

TEST(NetMsgPayload, TextStopsAtNulBoundOrEnd) {
  struct Case {
    std::string bytes;
    size_t at, max;
    std::string want;
  };
  const Case cases[] = {
      {std::string("hello\0xy", 8), 0, 64, "hello"},          // NUL
      {"hello", 0, 64, "hello"},                                // end, no NUL
      {"hello", 0, 3, "hel"},                                   // bound
      {"hello", 2, 64, "llo"},                                  // from an offset
      {"hello", 5, 64, ""},                                     // at the end
      {"ab\xC4\xE3", 0, 3, "ab"},                               // bound inside a character
      {"ab\xC4", 0, 64, "ab"},                                  // payload ends inside a character
      {"ab\xC4\xE3z", 0, 64, "ab\xC4\xE3z"},                    // whole characters stay
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> b(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(view(b).text(c.at, c.max), c.want) << c.bytes << " at " << c.at << " max " << c.max;
  }
}

TEST(NetMsgPayload, RecordsCheckCountTimesSize) {
  const std::vector<uint8_t> b(4 + 3 * 12, 0);
  const Payload p = view(b);
  EXPECT_EQ(p.records(3, 12, 4).remaining(), 36u);
  EXPECT_EQ(p.records(2, 12, 4).remaining(), 24u);
  EXPECT_EQ(p.records(0, 12, 40).remaining(), 0u);
  EXPECT_THROW(p.records(4, 12, 4), plat::MalformedInput);
  EXPECT_THROW(p.records(-1, 12), plat::MalformedInput);  // a count of -1 from the argument
  EXPECT_THROW(p.records(std::numeric_limits<int64_t>::max(), 84), plat::MalformedInput);
  // 0x40000000 x 8 wraps to 0 in 32 bits.
  EXPECT_THROW(p.records(0x40000000, 8), plat::MalformedInput);
  EXPECT_THROW(p.records(1, std::numeric_limits<uint64_t>::max()), plat::MalformedInput);
}

}  // namespace
