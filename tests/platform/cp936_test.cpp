// Code page 936 codec: the tables from the system converter and the edge cases the game relies on.
#include <gtest/gtest.h>

#include "plat/cp936.h"

namespace cp = plat::cp936;

namespace {

std::string bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b) s += static_cast<char>(c);
  return s;
}

TEST(Cp936, EveryMappedPairRoundTrips) {
  int mapped = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x00; trail <= 0xFF; ++trail) {
      auto u = cp::decodeChar(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      if (!u) continue;
      ++mapped;
      std::string pair = bytes({lead, trail});
      ASSERT_EQ(cp::decode(pair), std::u16string(1, *u)) << std::hex << lead << ' ' << trail;
      ASSERT_EQ(cp::encode(std::u16string(1, *u)), pair) << std::hex << lead << ' ' << trail;
      ASSERT_EQ(cp::fromUtf8(cp::toUtf8(pair)), pair) << std::hex << lead << ' ' << trail;
    }
  }
  EXPECT_GT(mapped, 21000);  // the whole double-byte repertoire, not a fallback table
}

TEST(Cp936, SingleBytesAndUnmappedAreas) {
  EXPECT_EQ(cp::decodeByte(0x41), u'A');
  EXPECT_EQ(cp::decodeByte(0x80), u'\u20AC');
  EXPECT_FALSE(cp::decodeByte(0xFF));
  EXPECT_FALSE(cp::decodeByte(0x81));
  EXPECT_EQ(cp::decode("\x80"), u"\u20AC");
  EXPECT_EQ(cp::encode(u"\u20AC"), "\x80");
  EXPECT_EQ(cp::decode("\xFF" "a"), u"\uFFFDa");
  // User-defined areas stay unmapped.
  for (auto [lead, trail] : {std::pair{0xAA, 0xA1}, {0xAF, 0xFE}, {0xF8, 0xA1}, {0xFE, 0xFE}, {0xA1, 0x40}, {0xA7, 0xA0}})
    EXPECT_FALSE(cp::decodeChar(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail))) << std::hex << lead << trail;
  EXPECT_FALSE(cp::decodeChar(0xFF, 0xA1));
  EXPECT_EQ(cp::encode(u"\uE000"), "?");
}

TEST(Cp936, StrayAndLoneLeadBytes) {
  struct Case {
    std::string in;
    std::u16string out;
  } cases[] = {
      {"ab\xD6", u"ab"},                       // a lone final lead decodes to nothing
      {"\xD6\xD0\xCE\xC4", u"\u4E2D\u6587"},   // 中文
      {"\x81\x20x", u"\uFFFD x"},              // unmapped pair: U+FFFD, the trail is read again
      {"\x81\x7F", u"\uFFFD\x7F"},
      {"\xD6\xD0\xD6", u"\u4E2D"},
      {"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(cp::decode(c.in), c.out) << c.in;
}

TEST(Cp936, EncodeAndUtf8Edges) {
  EXPECT_EQ(cp::encode(u"A\u4E2D\u6587"), "A\xD6\xD0\xCE\xC4");
  EXPECT_EQ(cp::encode(std::u16string(1, char16_t(0xD800))), "?");  // lone surrogate
  EXPECT_EQ(cp::toUtf8("A\xD6\xD0\x80"), "A\xE4\xB8\xAD\xE2\x82\xAC");
  EXPECT_EQ(cp::fromUtf8("A\xE4\xB8\xAD\xE2\x82\xAC"), "A\xD6\xD0\x80");
  EXPECT_EQ(cp::fromUtf8("\xF0\x9F\x98\x80x"), "?x");      // outside the code page
  EXPECT_EQ(cp::fromUtf8("\xC3(\xE4\xB8"), "?(??");         // malformed UTF-8
  EXPECT_EQ(cp::fromUtf8("\xC0\xAF"), "??");                // overlong '/' never becomes a separator
}

TEST(Cp936, NextWalksWholeCharacters) {
  std::string s = "a\xB1\x5C\\\xD6/\xD6";
  EXPECT_EQ(cp::next(s, 0), 1u);
  EXPECT_EQ(cp::next(s, 1), 3u);  // trail 0x5C belongs to its lead
  EXPECT_EQ(cp::next(s, 3), 4u);
  EXPECT_EQ(cp::next(s, 4), 5u);  // a lead before '/' stands alone
  EXPECT_EQ(cp::next(s, 6), 7u);  // a final lead
  EXPECT_EQ(cp::next(s, 7), 7u);
  EXPECT_EQ(cp::next(s, 100), 7u);
}

TEST(Cp936, CaseChangesLeaveTrailBytes) {
  // 0x81 0x41 and 0x81 0x61 are double-byte characters whose trails look like 'A' and 'a'.
  EXPECT_EQ(cp::asciiLower("AB\x81\x41Z"), "ab\x81\x41z");
  EXPECT_EQ(cp::asciiUpper("ab\x81\x61z"), "AB\x81\x61Z");
  EXPECT_EQ(cp::asciiLower("\xD6\xD0Q"), "\xD6\xD0q");
}

TEST(Cp936, FitLengthNeverCutsACharacter) {
  std::string s = "ab\xD6\xD0\xCE\xC4";
  EXPECT_EQ(cp::fitLength(s, 10), 6u);
  EXPECT_EQ(cp::fitLength(s, 5), 4u);
  EXPECT_EQ(cp::fitLength(s, 3), 2u);
  EXPECT_EQ(cp::fitLength(s, 0), 0u);
}

// A field's last byte may be a lead byte whose trail was cut off by the sender: it goes too.
TEST(Cp936, WholeLengthDropsALoneFinalLeadByte) {
  const std::string s = "ab\xD6\xD0\xCE";
  EXPECT_EQ(cp::wholeLength(s, 10), 4u);
  EXPECT_EQ(cp::wholeLength(s, 5), 4u);
  EXPECT_EQ(cp::wholeLength(s, 3), 2u);
  EXPECT_EQ(cp::wholeLength("ab", 2), 2u);
  EXPECT_EQ(cp::wholeLength(s, 0), 0u);
}

}  // namespace
