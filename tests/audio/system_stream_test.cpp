// The system-stream demultiplexer over memory: packets of other streams, packs, system headers,
// stuffing and time stamps are passed over; malformed packet headers end the stream.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "audio/stream/system_stream.h"
#include "tests/support/memory_stream.h"

namespace {

using audio::CMpegSystemStream;
using test_support::MemoryStream;
using Bytes = std::vector<uint8_t>;

void put(Bytes& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
}
void putLen(Bytes& out, size_t n) { put(out, {static_cast<int>(n >> 8), static_cast<int>(n & 0xFF)}); }

void pack(Bytes& out) { put(out, {0, 0, 1, 0xBA, 0x21, 0, 1, 0, 1, 0x80, 0, 1}); }
void systemHeader(Bytes& out, std::initializer_list<int> ids, int lengthAdjust = 0) {
  put(out, {0, 0, 1, 0xBB});
  putLen(out, static_cast<size_t>(6 + 3 * static_cast<int>(ids.size()) + lengthAdjust));
  put(out, {0x80, 0, 1, 0x04, 0xE1, 0xFF});
  for (int id : ids) put(out, {id, 0xE0, 0x20});
}
// A packet: `head` is the stuffing, buffer field and time-stamp bytes.
void packet(Bytes& out, int id, const Bytes& head, const std::string& payload) {
  put(out, {0, 0, 1, id});
  putLen(out, head.size() + payload.size());
  out.insert(out.end(), head.begin(), head.end());
  out.insert(out.end(), payload.begin(), payload.end());
}

std::string readAll(CMpegSystemStream& s) {
  std::string got;
  char buf[7];
  for (int64_t k; (k = s.read(buf, sizeof buf)) > 0;) got.append(buf, static_cast<size_t>(k));
  return got;
}

TEST(FileSliceSystem, SystemStreamJoinsTheWantedPackets) {
  Bytes in = {0x12, 0x00};  // junk before the first pack
  pack(in);
  systemHeader(in, {0xE0, 0xC0});
  packet(in, 0xC0, {0xFF, 0xFF, 0x40, 0x20, 0x21, 0, 1, 0, 1}, "hello ");
  packet(in, 0xE0, {0x0F}, "video!");
  pack(in);
  packet(in, 0xC0, {0x31, 0, 1, 0, 1, 0x11, 0, 1, 0, 1}, "wor");
  packet(in, 0xC0, {0x0F}, "");
  packet(in, 0xC0, {0x0F}, "ld");
  put(in, {0, 0, 1, 0xB9});
  for (bool random : {true, false}) {
    MemoryStream inner(in, random);
    CMpegSystemStream s;
    ASSERT_EQ(s.open(&inner, 0xC0, false), 0);
    char p[3] = {};
    EXPECT_EQ(s.peek(p, 3), 3);
    EXPECT_EQ(std::string(p, 3), "hel");
    EXPECT_EQ(readAll(s), "hello world");
    EXPECT_EQ(s.control(49, nullptr, 0), 1);
  }
}

TEST(FileSliceSystem, SystemStreamRefusesOrEnds) {
  {  // the system header does not list the stream
    Bytes in;
    pack(in);
    systemHeader(in, {0xE0});
    packet(in, 0xC0, {0x0F}, "x");
    MemoryStream inner(in, true);
    CMpegSystemStream s;
    EXPECT_EQ(s.open(&inner, 0xC0, false), -1);
    MemoryStream again(in, true);
    EXPECT_EQ(s.open(&again, 0xC0, true), 0);  // without the check the packet is found
    EXPECT_EQ(readAll(s), "x");
  }
  {  // a system header length below its fixed part does not read backwards
    Bytes in;
    put(in, {0, 0, 1, 0xBB, 0, 2});
    packet(in, 0xC0, {0x0F}, "ok");
    MemoryStream inner(in, false);
    CMpegSystemStream s;
    ASSERT_EQ(s.open(&inner, 0xC0, true), 0);
    EXPECT_EQ(readAll(s), "ok");
  }
  {  // a malformed packet header ends the stream after the good packets
    Bytes in;
    packet(in, 0xC0, {0x0F}, "abc");
    packet(in, 0xC0, {0x80}, "zzz");
    packet(in, 0xC0, {0x0F}, "def");
    MemoryStream inner(in, false);
    CMpegSystemStream s;
    ASSERT_EQ(s.open(&inner, 0xC0, false), 0);
    EXPECT_EQ(readAll(s), "abc");
    EXPECT_EQ(s.control(49, nullptr, 0), 1);
  }
  {  // a packet whose header runs past its length is malformed
    Bytes in;
    put(in, {0, 0, 1, 0xC0, 0, 3, 0x21, 0, 1, 0, 1});
    MemoryStream inner(in, false);
    CMpegSystemStream s;
    EXPECT_EQ(s.open(&inner, 0xC0, false), -1);
  }
  MemoryStream empty(Bytes{}, false);
  CMpegSystemStream s;
  EXPECT_EQ(s.open(&empty, 0xC0, false), -1);
  EXPECT_EQ(s.flags(), 0u);
}

}  // namespace
