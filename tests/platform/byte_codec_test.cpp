// Little-endian records: every short or overflowing read is a MalformedInput naming the place.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "plat/bytes.h"

namespace {

TEST(ByteCodec, WriterAndReaderAgree) {
  plat::ByteWriter w;
  w.u8(0xAB);
  w.u16(0x1234);
  w.u32(0xDEADBEEF);
  w.u64(0x0102030405060708ull);
  w.i16(-2);
  w.f32(1.5f);
  w.fixedString("abc", 5);
  w.fixedString("toolong", 4);
  ASSERT_EQ(w.size(), 1u + 2 + 4 + 8 + 2 + 4 + 5 + 4);
  const auto& d = w.data();
  EXPECT_EQ(d[1], 0x34);  // little-endian on the wire
  EXPECT_EQ(d[2], 0x12);

  plat::ByteReader r(d);
  EXPECT_EQ(r.u8(), 0xAB);
  EXPECT_EQ(r.u16(), 0x1234);
  EXPECT_EQ(r.u32(), 0xDEADBEEFu);
  EXPECT_EQ(r.u64(), 0x0102030405060708ull);
  EXPECT_EQ(r.i16(), -2);
  EXPECT_EQ(r.f32(), 1.5f);
  EXPECT_EQ(r.fixedString(5), "abc");
  EXPECT_EQ(r.fixedString(4), "tool");  // no NUL needed
  EXPECT_TRUE(r.empty());
}

TEST(ByteCodec, ShortReadsNameFieldAndOffset) {
  const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
  struct Case {
    const char* what;
    void (*read)(plat::ByteReader&);
    size_t wanted;
  } cases[] = {
      {"u32", [](plat::ByteReader& r) { r.u32("count"); }, 4},
      {"u64", [](plat::ByteReader& r) { r.u64("count"); }, 8},
      {"bytes", [](plat::ByteReader& r) { r.bytes(5, "count"); }, 5},
      {"fixedString", [](plat::ByteReader& r) { (void)r.fixedString(9, "count"); }, 9},
      {"skip", [](plat::ByteReader& r) { r.skip(4, "count"); }, 4},
      {"sub", [](plat::ByteReader& r) { (void)r.sub(7, "count"); }, 7},
  };
  for (const auto& c : cases) {
    plat::ByteReader r(data, sizeof data, 100);
    r.skip(3);
    try {
      c.read(r);
      ADD_FAILURE() << c.what << " read past the end";
    } catch (const plat::MalformedInput& e) {
      EXPECT_EQ(e.field(), "count") << c.what;
      EXPECT_EQ(e.offset(), 103u) << c.what;
      EXPECT_EQ(e.wanted(), c.wanted) << c.what;
      EXPECT_EQ(e.available(), 3u) << c.what;
      EXPECT_NE(std::string(e.what()).find("count"), std::string::npos);
      EXPECT_NE(std::string(e.what()).find("103"), std::string::npos);
    }
    EXPECT_EQ(r.position(), 3u) << c.what << ": a failed read consumes nothing";
  }
}

TEST(ByteCodec, SubReadersCountOffsetsFromTheOuterRecord) {
  const uint8_t data[10] = {0, 0, 0, 0, 7, 0, 0, 0, 9, 9};
  plat::ByteReader r(data, sizeof data);
  r.skip(4);
  plat::ByteReader inner = r.sub(5, "entry");
  EXPECT_EQ(r.position(), 9u);
  EXPECT_EQ(inner.u32(), 7u);
  EXPECT_EQ(inner.offset(), 8u);
  try {
    inner.u16("flags");
    FAIL();
  } catch (const plat::MalformedInput& e) {
    EXPECT_EQ(e.offset(), 8u);
    EXPECT_EQ(e.available(), 1u);
  }
}

TEST(ByteCodec, RecordsCheckCountTimesSizeWithoutWrapping) {
  std::vector<uint8_t> data(12, 0xEE);
  {
    plat::ByteReader r(data);
    plat::ByteReader recs = r.records(3, 4, "lines");
    EXPECT_EQ(recs.size(), 12u);
    EXPECT_TRUE(r.empty());
  }
  struct Case {
    uint64_t count, size;
  } bad[] = {
      {4, 4},
      {0x100000000ull, 0x100000000ull},              // wraps to 0 in 64 bits
      {0x8000000000000000ull, 2},                    // wraps to 0
      {std::numeric_limits<uint64_t>::max(), 12},
      {1, std::numeric_limits<uint64_t>::max()},
  };
  for (const auto& c : bad) {
    plat::ByteReader r(data);
    EXPECT_THROW(r.records(c.count, c.size, "lines"), plat::MalformedInput) << c.count << " x " << c.size;
    EXPECT_EQ(r.position(), 0u);
  }
  plat::ByteReader r(data);
  EXPECT_EQ(r.records(0, 1000).size(), 0u);
  EXPECT_EQ(r.records(1000, 0).size(), 0u);
}

TEST(ByteCodec, SeekAndFixedStringStopAtNul) {
  const uint8_t data[8] = {'a', 'b', 0, 'z', 'z', 0, 0, 0};
  plat::ByteReader r(data, sizeof data);
  EXPECT_EQ(r.fixedString(6, "name"), "ab");
  EXPECT_EQ(r.position(), 6u);  // the whole field is consumed
  r.seek(3);
  EXPECT_EQ(r.u8(), 'z');
  EXPECT_THROW(r.seek(9), plat::MalformedInput);
  r.seek(8);
  EXPECT_TRUE(r.empty());
}

constexpr plat::FieldSpec kHeader[] = {{"length", 0, 4}, {"id", 4, 4}, {"arg", 8, 4}};
static_assert(plat::checkLayout(kHeader, 12));
constexpr plat::FieldSpec kGap[] = {{"a", 0, 2}, {"b", 3, 1}};
static_assert(!plat::checkLayout(kGap, 4));
static_assert(!plat::checkLayout(kHeader, 16));

// One walk drives both directions of a record; the layout check refuses a walk that strays from
// its table.
struct Tiny {
  uint8_t kind;
  uint16_t id;
  int32_t value;
  char tag[3];
};
constexpr plat::FieldSpec kTiny[] = {{"kind", 0, 1}, {"id", 1, 2}, {"value", 3, 4}, {"tag", 7, 3}, {"pad", 10, 2}};
static_assert(plat::checkLayout(kTiny, 12));
static_assert(plat::fieldOffset(kTiny, "tag") == 7);

constexpr auto walkTiny = [](auto& t, auto& v) {
  v.u8(t.kind);
  v.u16(t.id);
  v.i32(t.value);
  v.bytes(t.tag, sizeof t.tag);
  v.zeros(2);
};
static_assert(plat::walkMatchesLayout<Tiny>(kTiny, walkTiny));
static_assert(!plat::walkMatchesLayout<Tiny>(kTiny, [](auto& t, auto& v) {  // two fields swapped
  v.u16(t.id);
  v.u8(t.kind);
  v.i32(t.value);
  v.bytes(t.tag, sizeof t.tag);
  v.zeros(2);
}));
static_assert(!plat::walkMatchesLayout<Tiny>(kTiny, [](auto& t, auto& v) {  // one field short
  v.u8(t.kind);
  v.u16(t.id);
  v.i32(t.value);
  v.bytes(t.tag, sizeof t.tag);
}));
static_assert(!plat::walkMatchesLayout<Tiny>(kTiny, [](auto& t, auto& v) {  // one field too many
  walkTiny(t, v);
  v.zeros(1);
}));

TEST(ByteCodec, FieldWalkWritesReadsAndNamesTheShortField) {
  const Tiny t{0xA5, 0x1234, -2, {'x', 'y', 'z'}};
  plat::ByteWriter w;
  plat::FieldWriter writer(w);
  walkTiny(t, writer);
  std::vector<uint8_t> bytes = {0xA5, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 'x', 'y', 'z', 0, 0};
  EXPECT_EQ(w.data(), bytes);

  bytes[10] = 0xEE;  // padding is skipped, not checked
  plat::ByteReader r(bytes);
  plat::FieldReader reader(r, kTiny);
  Tiny back{};
  walkTiny(back, reader);
  EXPECT_TRUE(r.empty());
  EXPECT_EQ(back.kind, t.kind);
  EXPECT_EQ(back.id, t.id);
  EXPECT_EQ(back.value, t.value);
  EXPECT_EQ(std::string(back.tag, 3), "xyz");

  plat::ByteReader shortReader(bytes.data(), 9);
  plat::FieldReader shortFields(shortReader, kTiny);
  try {
    walkTiny(back, shortFields);
    ADD_FAILURE() << "read past the end";
  } catch (const plat::MalformedInput& e) {
    EXPECT_EQ(e.field(), "tag");
    EXPECT_EQ(e.offset(), 7u);
  }
}

}  // namespace
