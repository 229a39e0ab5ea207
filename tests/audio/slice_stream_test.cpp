// Slices of a memory stream: window clamping, sequential inner streams and writes inside bounds.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/stream/slice_stream.h"
#include "tests/support/memory_stream.h"

namespace {

using audio::CSliceStream;
using audio::CStream;
using test_support::MemoryStream;
using Bytes = std::vector<uint8_t>;

Bytes run(size_t n) { return test_support::patternBytes(n, 3, 5); }

TEST(FileSliceSystem, SliceClampsTheWindowToTheInnerSize) {
  struct Case { int64_t start, length, size, first; };
  const Case cases[] = {{900, 500, 100, 900}, {100, 50, 50, 100}, {2000, 10, 0, -1}, {0, 1000, 1000, 0}};
  for (const Case& c : cases) {
    MemoryStream inner(run(1000), true);
    CSliceStream s;
    ASSERT_EQ(s.open(&inner, c.start, c.length), 0);
    EXPECT_EQ(s.size(), c.size);
    EXPECT_EQ(s.readByte(), c.first < 0 ? -1 : run(1000)[static_cast<size_t>(c.first)]);
    Bytes buf(2000);
    EXPECT_EQ(s.read(buf.data(), 2000), c.size > 0 ? c.size - 1 : 0);  // never past the window
    EXPECT_EQ(s.control(49, nullptr, 0), 1);
  }
}

TEST(FileSliceSystem, SliceSeeksAndPeeksInsideTheWindow) {
  MemoryStream inner(run(100), true);
  CSliceStream s;
  ASSERT_EQ(s.open(&inner, 10, 20), 0);
  EXPECT_EQ(s.seek(25), 20);
  EXPECT_EQ(s.seek(5), 5);
  inner.seek(90);  // someone else moved the inner stream
  EXPECT_EQ(s.peekByte(), run(100)[15]);
  EXPECT_EQ(s.readByte(), run(100)[15]);
  EXPECT_EQ(s.position(), 6);
}

TEST(FileSliceSystem, SequentialInnerMustStandAtTheStart) {
  MemoryStream inner(run(100), false, true);
  CSliceStream s;
  EXPECT_EQ(s.open(&inner, 10, 20), -1);
  EXPECT_EQ(s.flags(), 0u);
  inner.read(nullptr, 10);
  ASSERT_EQ(s.open(&inner, 10, 20), 0);
  EXPECT_FALSE(s.flags() & CStream::kWritable);
  EXPECT_FALSE(s.flags() & CStream::kRandomAccess);
  uint8_t two[2];
  EXPECT_EQ(s.peek(two, 2), 2);
  EXPECT_EQ(two[0], run(100)[10]);
  Bytes buf(50);
  EXPECT_EQ(s.read(buf.data(), 50), 20);
  EXPECT_EQ(inner.position(), 30);  // nothing read past the window
}

TEST(FileSliceSystem, SliceWritesStayInTheWindowAndCloseLeavesInnerOpen) {
  MemoryStream inner(Bytes(10, 0), true, true);
  CSliceStream s;
  ASSERT_EQ(s.open(&inner, 4, 3), 0);
  EXPECT_FALSE(s.flags() & CStream::kExtendable);
  EXPECT_EQ(s.write("abcdef", 6), 3);
  EXPECT_EQ(s.control(12, nullptr, 0), 1);
  EXPECT_EQ(inner.data, (Bytes{0, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0}));
  EXPECT_EQ(s.close(), 0);
  EXPECT_TRUE(inner.flags() & CStream::kOpen);
}

}  // namespace
