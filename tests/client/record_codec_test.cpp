// The record file's header, entry head and input sample in their file form: each field at its
// own place (distinct values per field, so a swapped pair shows) and each record back as written.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "client/record/record.h"

namespace {

using Bytes = std::vector<uint8_t>;

static_assert(RECORD_FIRST_TIME_AT == 284 && RECORD_LAST_TIME_AT == 288);

Bytes zeros(size_t n) { return Bytes(n, 0); }
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

auto fields(const RECORD_HEADER& h) {
  return std::tuple(h.format, h.version, h.created, h.first_time, h.last_time,
                    std::string(h.server_name, sizeof h.server_name));
}
auto fields(const RECORD_ENTRY& e) { return std::tuple(e.tag, e.time, e.code, e.arg, e.kind, e.length); }
auto fields(const FRAME_INPUT& in) {
  return std::tuple(in.raw_mouse_x, in.raw_mouse_y, in.mouse_x, in.mouse_y, in.event_code, in.key_code, in.scan_code,
                    in.alt_down, in.ctrl_down);
}

TEST(RecordCodec, Header) {
  // The server select's line name sits at 36, inside what used to be the zero tail.
  const RECORD_HEADER golden = {26, 1010103, 0x11223344, 0x55667788, 0x99AABBCC, "Line 1"};
  const Bytes golden_bytes = zeros(19) + Bytes{0x1A, 0xB7, 0x69, 0x0F, 0x00, 0x44, 0x33, 0x22, 0x11, 0x88, 0x77,
                                               0x66, 0x55, 0xCC, 0xBB, 0xAA, 0x99} +
                             Bytes{'L', 'i', 'n', 'e', ' ', '1'} + zeros(9) + zeros(281);
  plat::ByteWriter w;
  record_header_write(w, golden);
  EXPECT_EQ(w.data(), golden_bytes);

  const RECORD_HEADER rows[] = {golden, {0, 0, 0, 0, 0, {}}, {0xFF, 0xFFFFFFFF, 0x80000000, 1, 0xFFFFFFFE, "14 characters."}};
  for (const RECORD_HEADER& h : rows) {
    plat::ByteWriter out;
    record_header_write(out, h);
    ASSERT_EQ(out.size(), RECORD_HEADER_SIZE);
    plat::ByteReader r(out.data());
    EXPECT_EQ(fields(record_header_read(r)), fields(h));
    EXPECT_TRUE(r.empty());
  }
  plat::ByteReader short_header(golden_bytes.data(), RECORD_HEADER_SIZE - 1);
  EXPECT_THROW(record_header_read(short_header), plat::MalformedInput);
}

TEST(RecordCodec, EntryHead) {
  const RECORD_ENTRY golden = {RECORD_TAG, 0x01020304, 0x30001, static_cast<uint32_t>(-5),
                               RECORD_KIND_INPUT, 24, nullptr};
  const Bytes golden_bytes = {0x1A, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0x01, 0x00, 0x03, 0x00,
                              0xFB, 0xFF, 0xFF, 0xFF, 0x03, 0, 0, 0, 0x18, 0, 0, 0};
  plat::ByteWriter w;
  const uint8_t payload[1] = {0x77};  // the head alone is written
  RECORD_ENTRY with_payload = golden;
  with_payload.payload = payload;
  record_head_write(w, with_payload);
  EXPECT_EQ(w.data(), golden_bytes);

  const RECORD_ENTRY rows[] = {golden, {0, 0, 0, 0, 0, 0, nullptr},
                               {0xFFFFFFFF, 0xFFFFFFFE, 0x80000000, 0x7FFFFFFF, RECORD_KIND_PICK, 0xFFFFFFFF, nullptr}};
  for (const RECORD_ENTRY& e : rows) {
    plat::ByteWriter out;
    record_head_write(out, e);
    ASSERT_EQ(out.size(), RECORD_HEAD_SIZE);
    plat::ByteReader r(out.data());
    EXPECT_EQ(fields(record_head_read(r)), fields(e));
    EXPECT_TRUE(r.empty());
  }
}

// Reading a sample sets the sampled fields and leaves the rest of FRAME_INPUT alone.
TEST(RecordCodec, InputSample) {
  FRAME_INPUT golden{};
  golden.raw_mouse_x = 320;
  golden.raw_mouse_y = -4;
  golden.mouse_x = 0x01020304;
  golden.mouse_y = 6;
  golden.event_code = 0xF5;
  golden.key_code = 13;
  golden.scan_code = 0x8D;
  golden.alt_down = 1;
  golden.ctrl_down = 2;
  golden.frame_time = 123;  // not part of the sample
  const Bytes golden_bytes = {0x40, 0x01, 0, 0, 0xFC, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01,
                              0x06, 0, 0, 0, 0xF5, 0x0D, 0x8D, 0x01, 0x02, 0, 0, 0};
  plat::ByteWriter w;
  record_sample_write(w, golden);
  EXPECT_EQ(w.data(), golden_bytes);

  FRAME_INPUT extremes{};
  extremes.raw_mouse_x = INT32_MIN;
  extremes.raw_mouse_y = INT32_MAX;
  extremes.mouse_x = -1;
  extremes.event_code = extremes.key_code = extremes.scan_code = extremes.alt_down = extremes.ctrl_down = 0xFF;
  for (const FRAME_INPUT& in : {golden, FRAME_INPUT{}, extremes}) {
    plat::ByteWriter out;
    record_sample_write(out, in);
    ASSERT_EQ(out.size(), RECORD_SAMPLE_SIZE);
    FRAME_INPUT back{};
    back.frame_time = 9;
    back.own_char_id = 4711;
    back.own_scene_index = -3;
    back.elapsed_ticks = 0xBEEF;
    back.tick_remainder = 7;
    plat::ByteReader r(out.data());
    record_sample_read(r, back);
    EXPECT_TRUE(r.empty());
    EXPECT_EQ(fields(back), fields(in));
    EXPECT_EQ(back.frame_time, 9u);
    EXPECT_EQ(back.own_char_id, 4711u);
    EXPECT_EQ(back.own_scene_index, -3);
    EXPECT_EQ(back.elapsed_ticks, 0xBEEF);
    EXPECT_EQ(back.tick_remainder, 7);
  }
}

}  // namespace
