// The stream base on a memory device: reads across the end, short reads, byte orders, bits,
// strings and seeks, on seekable and sequential devices.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/support/memory_stream.h"

namespace {

using audio::ByteOrder;
using audio::CStream;
using test_support::MemoryStream;
using Bytes = std::vector<uint8_t>;

Bytes run(size_t n) { return test_support::patternBytes(n); }

TEST(AudioStream, NullBufferReadSkipsInChunksAndStopsAtShortChunk) {
  MemoryStream s(run(1000), false);
  EXPECT_EQ(s.read(nullptr, 600), 600);
  EXPECT_EQ(s.reads, 3);  // 256 + 256 + 88
  EXPECT_EQ(s.readByte(), run(1000)[600]);
  MemoryStream t(run(1000), false);
  t.readLimit = 100;  // the first chunk comes back short
  EXPECT_EQ(t.read(nullptr, 1000), 100);
  EXPECT_EQ(t.reads, 1);
  EXPECT_EQ(t.control(9, nullptr, 0), 1);
}

TEST(AudioStream, ShortReadFlagAndFillByte) {
  struct Case { int fill; int64_t want; int64_t got; bool flagged; };
  const Case cases[] = {{-1, 4, 4, false}, {0, 10, 6, true}, {0xAB, 10, 6, true}, {-1, 10, 6, true}};
  for (const Case& c : cases) {
    MemoryStream s(run(10), true);
    s.seek(4);
    s.control(21, nullptr, c.fill);
    uint8_t buf[10];
    std::memset(buf, 0xEE, sizeof buf);
    EXPECT_EQ(s.read(buf, c.want), c.got);
    for (int64_t i = c.got; i < c.want; ++i) EXPECT_EQ(buf[i], c.fill < 0 ? 0xEE : c.fill);
    EXPECT_EQ(s.control(10, nullptr, 0), c.flagged ? 1 : 0);
    EXPECT_EQ(s.control(9, nullptr, 0), 0);  // cleared by 10
    EXPECT_EQ(s.position(), 4 + c.got);
  }
}

TEST(AudioStream, SeekClampsAndSequentialIgnoresIt) {
  MemoryStream r(run(100), true);
  struct Case { int64_t to; int64_t at; };
  for (const Case c : {Case{10, 10}, Case{-5, 0}, Case{500, 100}, Case{100, 100}}) {
    EXPECT_EQ(r.seek(c.to), c.at);
    EXPECT_EQ(r.position(), c.at);
  }
  r.seek(50);
  EXPECT_EQ(r.skip(-20), 30);
  EXPECT_EQ(r.seekFromEnd(-1), 99);
  EXPECT_EQ(r.readByte(), run(100)[99]);
  EXPECT_EQ(r.readByte(), -1);
  EXPECT_EQ(r.control(49, nullptr, 0), 1);

  MemoryStream q(run(100), false);
  q.read(nullptr, 7);
  EXPECT_EQ(q.seek(0), 7);
  EXPECT_EQ(q.skip(3), 7);
  EXPECT_EQ(q.readByte(), run(100)[7]);
}

TEST(AudioStream, PeekKeepsThePosition) {
  for (bool random : {true, false}) {
    MemoryStream s(run(6), random);
    uint8_t a[4] = {}, b[4] = {};
    s.read(nullptr, 3);
    EXPECT_EQ(s.peek(a, 4), 3);
    EXPECT_EQ(s.position(), 3);
    EXPECT_EQ(s.read(b, 3), 3);
    EXPECT_EQ(0, std::memcmp(a, b, 3));
  }
}

TEST(AudioStream, TypedIntegersBothOrdersAcrossTheEnd) {
  const Bytes bytes = {0x81, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
  struct Case { int n; ByteOrder o; int64_t skip; uint64_t v; };
  const Case cases[] = {
      {1, ByteOrder::Little, 0, 0x81},
      {2, ByteOrder::Little, 0, 0x0281},
      {2, ByteOrder::Big, 0, 0x8102},
      {4, ByteOrder::Little, 0, 0x04030281},
      {4, ByteOrder::Big, 0, 0x81020304},
      {8, ByteOrder::Little, 0, 0x8807060504030281ull},
      {8, ByteOrder::Big, 0, 0x8102030405060788ull},
      {4, ByteOrder::Little, 6, 0x8807},     // missing bytes read as 0
      {4, ByteOrder::Big, 6, 0x07880000},
      {2, ByteOrder::Big, 8, 0},
  };
  for (bool random : {true, false}) {
    for (const Case& c : cases) {
      MemoryStream s(bytes, random);
      s.control(21, nullptr, 0xFF);  // the caller's fill byte does not leak into values
      s.read(nullptr, c.skip);
      EXPECT_EQ(s.peekUnsigned(c.n, c.o), c.v) << c.n << " at " << c.skip;
      EXPECT_EQ(s.position(), c.skip);
      EXPECT_EQ(s.readUnsigned(c.n, c.o), c.v) << c.n << " at " << c.skip;
    }
  }
  MemoryStream s(bytes, true);
  EXPECT_EQ(s.readS8(), -127);
  s.seek(6);
  EXPECT_EQ(s.readS16(ByteOrder::Little), static_cast<int16_t>(0x8807));
}

TEST(AudioStream, TypedWritesRoundTrip) {
  for (ByteOrder o : {ByteOrder::Little, ByteOrder::Big}) {
    MemoryStream s({}, true, true);
    ASSERT_TRUE(s.writeU8(0xA5));
    ASSERT_TRUE(s.writeU16(0xBEEF, o));
    ASSERT_TRUE(s.writeU32(0xDEADBEEF, o));
    ASSERT_TRUE(s.writeU64(0x0123456789ABCDEFull, o));
    EXPECT_EQ(s.size(), 15);
    EXPECT_EQ(s.data[1], o == ByteOrder::Big ? 0xBE : 0xEF);
    s.seek(0);
    EXPECT_EQ(s.readU8(), 0xA5);
    EXPECT_EQ(s.readU16(o), 0xBEEF);
    EXPECT_EQ(s.readU32(o), 0xDEADBEEFu);
    EXPECT_EQ(s.readU64(o), 0x0123456789ABCDEFull);
  }
}

TEST(AudioStream, ShortDeviceWriteSetsTheWriteErrorFlag) {
  MemoryStream s({}, false, true);
  s.writeLimit = 3;
  EXPECT_FALSE(s.writeU64(1, ByteOrder::Little));
  EXPECT_EQ(s.control(12, nullptr, 0), 1);
  EXPECT_EQ(s.control(11, nullptr, 0), 0);
  EXPECT_EQ(s.control(1, nullptr, 0), 3);
  MemoryStream ro(run(4), true);
  EXPECT_EQ(ro.write("ab", 2), 0);  // not writable: nothing happens
  EXPECT_EQ(ro.control(11, nullptr, 0), 0);
}

TEST(AudioStream, SequentialWriteBuffer) {
  const Bytes src = run(60);
  for (int64_t cap : {1, 8, 16, 100}) {
    MemoryStream s({}, false, true);
    ASSERT_EQ(s.control(18, nullptr, cap), 1);
    EXPECT_EQ(s.control(19, nullptr, 0), cap);
    int64_t at = 0;
    for (int64_t n : {3, 20, 1, 36}) {
      EXPECT_EQ(s.write(src.data() + at, n), n);
      at += n;
    }
    EXPECT_LE(s.data.size(), 60u);
    EXPECT_EQ(s.control(44, nullptr, 0), 1);
    EXPECT_EQ(s.data, src) << cap;
    EXPECT_EQ(s.control(11, nullptr, 0), 0);
  }
  // A short device write keeps the unwritten bytes in mode 0 and drops them finally.
  MemoryStream s({}, false, true);
  s.control(18, nullptr, 8);
  s.write(src.data(), 5);
  s.writeLimit = 2;
  EXPECT_EQ(s.control(18, nullptr, 4), 0);  // resizing refused while bytes are held
  EXPECT_EQ(s.control(32, nullptr, 0), 0);
  EXPECT_EQ(s.data, Bytes(src.begin(), src.begin() + 4));
  s.writeLimit = -1;
  EXPECT_EQ(s.control(32, nullptr, 0), 1);
  EXPECT_EQ(s.data, Bytes(src.begin(), src.begin() + 5));
  s.write(src.data(), 3);
  s.writeLimit = 1;
  EXPECT_EQ(s.control(33, nullptr, 0), 0);
  EXPECT_EQ(s.control(12, nullptr, 0), 1);
  s.writeLimit = -1;
  EXPECT_EQ(s.control(33, nullptr, 0), 1);  // nothing left held
  EXPECT_EQ(s.data.size(), 6u);
}

TEST(AudioStream, RandomAccessCacheReadsWritesAndSeeks) {
  const Bytes src = run(100);
  for (int64_t cap : {1, 7, 16, 64, 200}) {
    MemoryStream s(src, true, true);
    ASSERT_EQ(s.control(15, nullptr, cap), 1);
    Bytes mirror = src;
    struct Step { int64_t seek, readN; const char* text; };
    const Step steps[] = {{0, 10, nullptr}, {5, 0, "hello"}, {3, 9, nullptr}, {95, 0, "tail-grows"},
                          {40, 30, nullptr}, {98, 20, nullptr}, {0, 0, "A"}};
    for (const Step& st : steps) {
      EXPECT_EQ(s.seek(st.seek), std::min<int64_t>(st.seek, static_cast<int64_t>(mirror.size())));
      if (st.text != nullptr) {
        const int64_t n = static_cast<int64_t>(std::strlen(st.text));
        EXPECT_EQ(s.write(st.text, n), n);
        if (mirror.size() < static_cast<size_t>(st.seek + n)) mirror.resize(static_cast<size_t>(st.seek + n));
        std::memcpy(mirror.data() + st.seek, st.text, static_cast<size_t>(n));
        EXPECT_EQ(s.size(), static_cast<int64_t>(mirror.size()));
      }
      if (st.readN > 0) {
        Bytes buf(static_cast<size_t>(st.readN));
        const int64_t k = s.read(buf.data(), st.readN);
        EXPECT_EQ(k, std::min<int64_t>(st.readN, static_cast<int64_t>(mirror.size()) - st.seek));
        EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + k, mirror.begin() + st.seek)) << cap;
      }
    }
    EXPECT_EQ(s.control(30, nullptr, 0), 1);
    EXPECT_EQ(s.data, mirror) << cap;
  }
}

TEST(AudioStream, CacheWriteBackAfterShortDeviceWrite) {
  struct Case { int code; int64_t ret; size_t deviceBytes; int64_t size; };
  // 6 dirty bytes at 4..9 of a 4-byte device; the device takes 2 of them. Only mode 0 keeps
  // the rest (and reports 0); the others drop it, flag the error and cut the size.
  const Case cases[] = {{29, 0, 6, 10}, {30, 1, 6, 6}, {31, 1, 6, 6}};
  for (const Case& c : cases) {
    MemoryStream s(run(4), true, true);
    s.control(15, nullptr, 16);
    s.seek(4);
    s.write("abcdef", 6);
    s.writeLimit = 2;
    EXPECT_EQ(s.control(c.code, nullptr, 0), c.ret) << c.code;
    EXPECT_EQ(s.control(12, nullptr, 0), 1);
    EXPECT_EQ(s.data.size(), c.deviceBytes);
    EXPECT_EQ(s.size(), c.size);
    s.writeLimit = -1;
    EXPECT_EQ(s.control(29, nullptr, 0), 1);
    // Kept bytes reach the device on the next write-back; dropped ones never do.
    EXPECT_EQ(s.data.size(), c.code == 29 ? 10u : 6u) << c.code;
  }
}

TEST(AudioStream, Strings) {
  struct Case { const char* in; size_t len; int64_t cap; char delim; bool ok; const char* out; int next; };
  const Case cases[] = {
      {"abc\0de", 6, 16, '\0', true, "abc", 'd'},
      {"ab\ncd", 5, 16, '\n', true, "ab", 'c'},
      {"abcdef\0x", 8, 4, '\0', false, "abc", 'x'},  // overflow consumes up to the terminator
      {"abc", 3, 16, '\0', false, "abc", -1},        // cut short by the end
  };
  for (const Case& c : cases) {
    MemoryStream s(Bytes(c.in, c.in + c.len), false);
    char out[16];
    std::memset(out, 'Z', sizeof out);
    EXPECT_EQ(s.readString(out, c.cap, c.delim), c.ok) << c.in;
    EXPECT_STREQ(out, c.out);
    EXPECT_EQ(s.readByte(), c.next);
  }
  MemoryStream w({}, false, true);
  EXPECT_TRUE(w.writeString("hi", true));
  EXPECT_TRUE(w.writeString("yo", false));
  EXPECT_EQ(w.data, (Bytes{'h', 'i', 0, 'y', 'o'}));
}

TEST(AudioStream, BitsReadBothOrders) {
  const Bytes bytes = {0xB4, 0x6C, 0x01};  // 1011 0100, 0110 1100
  for (bool random : {true, false}) {
    MemoryStream msb(bytes, random);
    msb.control(23, nullptr, 1);
    EXPECT_EQ(msb.readBits(3), 0b101u);
    EXPECT_EQ(msb.readBitOffset(), 3);
    EXPECT_EQ(msb.peekBits(9), 0b101000110u);
    EXPECT_EQ(msb.readBits(9), 0b101000110u);
    EXPECT_EQ(msb.peekBit(), 1);
    msb.alignBits();
    EXPECT_EQ(msb.readByte(), 0x01);
    EXPECT_EQ(msb.readBits(4), 0u);  // past the end: zeros

    MemoryStream lsb(bytes, random);
    EXPECT_EQ(lsb.readBits(3), 0b100u);  // bits 0..2 of 0xB4
    EXPECT_EQ(lsb.peekBits(9), 0x0B4u >> 3 | (0x6Cu & 0xF) << 5);
    EXPECT_EQ(lsb.readBits(9), 0x0B4u >> 3 | (0x6Cu & 0xF) << 5);
    EXPECT_EQ(lsb.position(), random ? 1 : 2);  // random access keeps the partial byte under it
  }
}

TEST(AudioStream, BitsWriteThenReadWithPadBits) {
  for (int order : {0, 1}) {
    for (int pad : {0, 1}) {
      MemoryStream s({}, false, true);
      s.control(25, nullptr, order);
      s.control(27, nullptr, pad);
      ASSERT_TRUE(s.writeBits(0x1ABCDE, 21));
      ASSERT_TRUE(s.writeBit(1));
      EXPECT_EQ(s.writeBitOffset(), 6);
      ASSERT_TRUE(s.flushBits());
      ASSERT_EQ(s.data.size(), 3u);
      MemoryStream r(s.data, false);
      r.control(23, nullptr, order);
      EXPECT_EQ(r.readBits(21), 0x1ABCDEu);
      EXPECT_EQ(r.readBit(), 1);
      EXPECT_EQ(r.readBits(2), pad ? 3u : 0u);
    }
  }
}

TEST(AudioStream, ControlCodes) {
  MemoryStream s(run(10), true);
  s.seek(4);
  struct Case { int code; int64_t v; int64_t want; };
  const Case cases[] = {
      {0, 0, 4}, {1, 0, 4}, {2, 0, 0}, {3, 0, 1}, {4, 0, 10}, {13, 0, 6}, {14, 0, 6},
      {22, 0, -1}, {21, 7, -1}, {22, 0, 7}, {24, 0, 0}, {23, 1, 0}, {26, 0, 1},
      {28, 0, 0}, {27, 1, 0}, {28, 0, 0xFF}, {49, 0, 0}, {50, 0, 0}, {5, 0, 0}, {52, 0, 0},
      {1000, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(s.control(c.code, nullptr, c.v), c.want) << c.code;
  s.seek(10);
  EXPECT_EQ(s.control(2, nullptr, 0), 1);
  EXPECT_EQ(s.control(42, nullptr, 0), 1);
  EXPECT_EQ(s.control(43, nullptr, 0), 1);
  EXPECT_EQ(s.close(), 0);
  EXPECT_EQ(s.flags(), 0u);
  EXPECT_EQ(s.read(nullptr, 1), 0);
}

// Every code of the base, each on a fresh stream in a known state, then a query showing what the
// code changed. Random access: 10 bytes, readable and writable, 4 read, no cache. Sequential: 10
// bytes, a 16-byte read buffer holding the 6 unread bytes, an 8-byte write buffer holding 3.
TEST(AudioStream, EveryControlCode) {
  struct Case { int code; int64_t v; int64_t want; int then; int64_t thenWant; };
  constexpr int kNone = -1;
  const Case randomCases[] = {
      {0, 0, 4, kNone, 0}, {1, 0, 4, kNone, 0}, {2, 0, 0, kNone, 0}, {3, 0, 0, kNone, 0},
      {4, 0, 10, kNone, 0}, {5, 0, 0, kNone, 0}, {6, 0, 0, kNone, 0}, {7, 0, 0, kNone, 0},
      {8, 0, 0, kNone, 0}, {9, 0, 0, kNone, 0}, {10, 0, 0, kNone, 0}, {11, 0, 0, kNone, 0},
      {12, 0, 0, kNone, 0}, {13, 0, 6, kNone, 0}, {14, 0, 6, kNone, 0},
      {15, 16, 1, 16, 16}, {16, 0, 0, kNone, 0}, {17, 0, 0, kNone, 0},
      {18, 32, 1, 16, 32},  // random access: the cache is the read buffer
      {19, 0, 0, kNone, 0}, {20, 0, 0, kNone, 0},
      {21, 7, -1, 22, 7}, {22, 0, -1, kNone, 0}, {23, 1, 0, 24, 1}, {24, 0, 0, kNone, 0},
      {25, 1, 0, 24, 1},  // random access: the read order
      {26, 0, 0, kNone, 0}, {27, 1, 0, 28, 0xFF}, {28, 0, 0, kNone, 0},
      {29, 0, 1, kNone, 0}, {30, 0, 1, kNone, 0}, {31, 0, 1, kNone, 0},
      {32, 0, 1, kNone, 0}, {33, 0, 1, kNone, 0}, {34, 0, 1, kNone, 0},
      {35, 0, 0, kNone, 0}, {36, 1, 0, kNone, 0}, {37, 0, 0, kNone, 0}, {38, 0, 0, kNone, 0},
      {39, 0, 0, kNone, 0}, {40, 0, 0, kNone, 0}, {41, 0, 0, kNone, 0},
      {42, 0, 1, 2, 0},  // random access stays readable
      {43, 0, 1, 3, 1},  // no longer writable
      {44, 0, 1, kNone, 0}, {45, 0, 0, kNone, 0}, {46, 0, 0, kNone, 0}, {47, 0, 0, kNone, 0},
      {48, 0, 0, kNone, 0}, {49, 0, 0, kNone, 0}, {50, 0, 0, kNone, 0}, {51, 0, 0, kNone, 0},
      {52, 1, 0, kNone, 0}, {60, 1, 0, kNone, 0}, {4095, 1, 0, kNone, 0},
  };
  const Case sequentialCases[] = {
      {0, 0, 4, kNone, 0}, {1, 0, 3, kNone, 0}, {2, 0, 0, kNone, 0}, {3, 0, 0, kNone, 0},
      {4, 0, 10, kNone, 0}, {13, 0, 6, kNone, 0},
      {15, 4, 0, 16, 16},   // refused while bytes are held
      {16, 0, 16, kNone, 0}, {17, 0, 6, kNone, 0},
      {18, 4, 1, 19, 4},    // the write buffer: flushed first, then resized
      {19, 0, 8, kNone, 0}, {20, 0, 4, kNone, 0},
      {25, 1, 0, 26, 1},    // sequential: the write order
      {25, 1, 0, 24, 0},
      {29, 0, 0, 17, 6},    // unread bytes stay: not empty
      {30, 0, 0, 17, 6},
      {31, 0, 1, 17, 0},    // discarded
      {32, 0, 1, kNone, 0}, {33, 0, 1, kNone, 0}, {34, 0, 1, kNone, 0},
      {42, 0, 1, 2, 1},     // no longer readable
      {43, 0, 1, 3, 1},     // no longer writable
      {44, 0, 1, kNone, 0}, {49, 0, 0, kNone, 0}, {50, 0, 0, kNone, 0},
  };
  for (bool random : {true, false}) {
    for (const Case& c : random ? std::vector<Case>(std::begin(randomCases), std::end(randomCases))
                                : std::vector<Case>(std::begin(sequentialCases), std::end(sequentialCases))) {
      MemoryStream s(run(10), random, true);
      if (!random) {
        ASSERT_EQ(s.control(15, nullptr, 16), 1);
        ASSERT_EQ(s.control(18, nullptr, 8), 1);
      }
      uint8_t buf[4];
      ASSERT_EQ(s.read(buf, 4), 4);
      if (!random) {
        ASSERT_EQ(s.write("abc", 3), 3);
      }
      EXPECT_EQ(s.control(c.code, nullptr, c.v), c.want) << (random ? "random " : "sequential ") << c.code;
      if (c.then != kNone) {
        EXPECT_EQ(s.control(c.then, nullptr, 0), c.thenWant) << (random ? "random " : "sequential ") << c.code;
      }
      if (!random) {
        // What reached the device: the 3 pending bytes once a code flushed them (34 too: it
        // discards only what the device refuses).
        const bool flushed = c.code == 18 || (c.code >= 32 && c.code <= 34) || c.code == 43 || c.code == 44;
        EXPECT_EQ(s.data.size(), flushed ? 13u : 10u) << c.code;
      }
    }
  }
  // 51 sets the tee; a null pointer removes it.
  MemoryStream s(run(10), true);
  MemoryStream tee({}, false, true);
  EXPECT_EQ(s.control(51, &tee, 0), 0);
  s.read(nullptr, 3);
  EXPECT_EQ(tee.data.size(), 3u);
  EXPECT_EQ(s.control(51, nullptr, 0), 0);
  s.read(nullptr, 3);
  EXPECT_EQ(tee.data.size(), 3u);
}

TEST(AudioStream, TeeSeesEveryByteReadAndFollowsSeeks) {
  MemoryStream s(run(20), true);
  MemoryStream tee(Bytes(20, 0), true, true);
  s.control(51, &tee, 0);
  uint8_t buf[5];
  s.seek(3);
  s.read(buf, 5);
  s.read(nullptr, 2);
  EXPECT_EQ(tee.position(), 10);
  for (int i = 3; i < 10; ++i) EXPECT_EQ(tee.data[i], run(20)[i]);
}

TEST(AudioStream, SequentialReadBuffer) {
  const Bytes src = run(100);
  struct Case { int64_t cap; std::vector<int64_t> reads; };
  const Case cases[] = {{16, {3, 5, 20, 1, 40, 31}}, {8, {8, 1, 7, 100}}, {1, {2, 2, 200}}};
  for (const Case& c : cases) {
    MemoryStream s(src, false);
    ASSERT_EQ(s.control(15, nullptr, c.cap), 1);
    EXPECT_EQ(s.control(16, nullptr, 0), c.cap);
    Bytes got;
    for (int64_t n : c.reads) {
      Bytes buf(static_cast<size_t>(n));
      uint8_t p[4] = {};
      const int64_t peeked = s.peek(p, 4);
      const int64_t k = s.read(buf.data(), n);
      EXPECT_EQ(0, std::memcmp(p, buf.data(), static_cast<size_t>(std::min(peeked, k))));
      got.insert(got.end(), buf.begin(), buf.begin() + k);
    }
    EXPECT_EQ(got, src) << c.cap;
    EXPECT_EQ(s.position(), 100);
  }
  // Bytes held in the buffer keep the stream from its end even when the device is there.
  MemoryStream s(run(10), false);
  s.control(15, nullptr, 16);
  s.readByte();
  EXPECT_EQ(s.control(17, nullptr, 0), 9);
  s.position();
  EXPECT_EQ(s.control(15, nullptr, 0), 0);  // refused while bytes are held
  EXPECT_EQ(s.control(2, nullptr, 0), 0);
  s.read(nullptr, 9);
  EXPECT_EQ(s.control(17, nullptr, 0), 0);
  EXPECT_EQ(s.control(15, nullptr, 0), 1);
}

TEST(AudioStream, ChainedStreamForwardsAndClosesWhatItOwns) {
  auto* inner = new MemoryStream(run(20), true);
  inner->at = 5;  // the device already stands where the preset says
  {
    CStream outer;
    outer.chain(inner, true, 5, -1, 10, CStream::kExtendable);
    EXPECT_EQ(outer.position(), 5);
    EXPECT_EQ(outer.size(), 10);
    EXPECT_EQ(outer.readByte(), run(20)[5]);
    EXPECT_EQ(outer.control(0, nullptr, 0), 6);
    EXPECT_EQ(outer.seekFromEnd(-1), 9);
    EXPECT_TRUE(outer.flags() & CStream::kRandomAccess);
    EXPECT_EQ(outer.close(), 0);
    EXPECT_EQ(outer.flags(), 0u);  // unchained; the owned stream is gone (leak checks see it)
  }
  MemoryStream kept(run(4), false);
  {
    CStream outer;
    outer.chain(&kept, false);
    EXPECT_EQ(outer.readU16(ByteOrder::Big), (run(4)[0] << 8) | run(4)[1]);
  }
  EXPECT_EQ(kept.flags(), 0u);  // closed but not deleted
}

}  // namespace
