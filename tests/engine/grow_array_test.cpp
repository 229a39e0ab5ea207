// GrowArray: allocation rule, growth, a random sequence against std::vector and the bounds.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "core/grow_array.h"

namespace {

template <size_t N>
struct Record {
  std::array<uint8_t, N> bytes;
};

struct GrowCase {
  size_t element_size;
  int32_t step;
  int32_t inserts;
  int32_t allocated;  // after the inserts
};

template <size_t N>
int32_t allocated_after(int32_t step, int32_t inserts) {
  GrowArray<Record<N>> a(step, 0);
  Record<N> r{};
  for (int32_t i = 0; i < inserts; ++i) a.append(r);
  return a.allocated;
}

int32_t allocated_after(size_t size, int32_t step, int32_t inserts) {
  switch (size) {
    case 1: return allocated_after<1>(step, inserts);
    case 4: return allocated_after<4>(step, inserts);
    case 8: return allocated_after<8>(step, inserts);
    case 12: return allocated_after<12>(step, inserts);
    case 16: return allocated_after<16>(step, inserts);
    case 28: return allocated_after<28>(step, inserts);
    case 36: return allocated_after<36>(step, inserts);
    case 2088: return allocated_after<2088>(step, inserts);
  }
  ADD_FAILURE() << "no record of size " << size;
  return -1;
}

void PrintTo(const GrowCase& c, std::ostream* os) {
  *os << "size " << c.element_size << " step " << c.step << " inserts " << c.inserts;
}

class GrowArrayGrowth : public ::testing::TestWithParam<GrowCase> {};

TEST_P(GrowArrayGrowth, FirstBlockHoldsAbout32BytesThenGrowsByTheStep) {
  const GrowCase& c = GetParam();
  EXPECT_EQ(allocated_after(c.element_size, c.step, c.inserts), c.allocated);
}

INSTANTIATE_TEST_SUITE_P(
    GrowArray, GrowArrayGrowth,
    ::testing::Values(GrowCase{1, 0, 1, 32}, GrowCase{4, 0, 1, 8}, GrowCase{8, 0, 1, 4}, GrowCase{12, 0, 1, 3},
                      GrowCase{16, 0, 1, 2}, GrowCase{28, 0, 1, 2}, GrowCase{36, 0, 1, 1}, GrowCase{2088, 0, 1, 1},
                      GrowCase{1, 0, 32, 32}, GrowCase{1, 0, 33, 64}, GrowCase{1, 5, 33, 37},
                      GrowCase{1, 5, 38, 42}, GrowCase{36, 0, 3, 4}, GrowCase{36, 3, 5, 7}));

TEST(GrowArray, InitialAllocationIsTakenAtConstruction) {
  GrowArray<int32_t> a(0, 10);
  EXPECT_NE(a.data, nullptr);
  EXPECT_EQ(a.allocated, 10);
  EXPECT_EQ(a.data_copy, a.data);
  for (int i = 0; i < 10; ++i) a.append(i);
  EXPECT_EQ(a.allocated, 10);
  a.append(10);
  EXPECT_EQ(a.allocated, 20);
}

TEST(GrowArray, ZeroFilledRecordIsAnEmptyDoublingArray) {
  GrowArray<int16_t> a;
  EXPECT_EQ(a.step, 0);
  a.append(7);
  EXPECT_EQ(a.allocated, 16);
  EXPECT_EQ(a.data_copy, a.data);
}

TEST(GrowArray, RandomSequenceMatchesVector) {
  std::mt19937 rng(1234);
  for (int32_t step : {0, 1, 7}) {
    GrowArray<uint32_t> a(step, 0);
    std::vector<uint32_t> v;
    for (int op = 0; op < 5000; ++op) {
      const uint32_t kind = rng() % 10;
      if (kind < 6 || v.empty()) {
        const int32_t at = static_cast<int32_t>(rng() % (v.size() + 1));
        const uint32_t value = rng();
        ASSERT_EQ(a.insert(at, value), at);
        v.insert(v.begin() + at, value);
      } else if (kind < 9) {
        const int32_t at = static_cast<int32_t>(rng() % v.size());
        ASSERT_EQ(a.remove(at), 0);
        v.erase(v.begin() + at);
      } else {
        const int32_t first = static_cast<int32_t>(rng() % v.size());
        const int32_t n = static_cast<int32_t>(rng() % (v.size() - first + 1));
        ASSERT_EQ(a.remove_range(first, n), 0);
        v.erase(v.begin() + first, v.begin() + first + n);
      }
      ASSERT_EQ(a.count, static_cast<int32_t>(v.size()));
      ASSERT_LE(a.count, a.allocated);
    }
    EXPECT_TRUE(std::equal(a.begin(), a.end(), v.begin(), v.end())) << "step " << step;
  }
}

TEST(GrowArray, InsertingAnElementOfTheSameArrayCopiesItsValue) {
  GrowArray<int32_t> a;
  for (int i = 0; i < 8; ++i) a.append(i);  // full: the next insert moves the block
  a.insert(0, a.data[7]);
  EXPECT_EQ(a.data[0], 7);
  EXPECT_EQ(a.count, 9);
}

TEST(GrowArray, RemoveRangeClampsToTheElementsPresent) {
  GrowArray<int32_t> a;
  for (int i = 0; i < 6; ++i) a.append(i);
  EXPECT_EQ(a.remove_range(2, 0), 0);
  EXPECT_EQ(a.count, 6);
  EXPECT_EQ(a.remove_range(4, 100), 0);
  EXPECT_EQ(a.count, 4);
  EXPECT_EQ(a.remove_range(9, 1), 0);
  EXPECT_EQ(a.count, 4);
  EXPECT_EQ(a.remove(3), 0);  // the last element: nothing moves
  EXPECT_EQ((std::vector<int32_t>(a.begin(), a.end())), (std::vector<int32_t>{0, 1, 2}));
}

TEST(GrowArray, RemoveOnAnEmptyArrayDoesNothing) {
  GrowArray<int32_t> a;
  EXPECT_EQ(a.remove(0), -1);
  EXPECT_EQ(a.count, 0);
}

TEST(GrowArray, OutsideMemoryIsNeverGrownOrFreedAndRefusesWhenFull) {
  int32_t memory[5] = {0, 0, 0, 0, -99};
  {
    GrowArray<int32_t> a = GrowArray<int32_t>::wrap(memory, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a.append(i + 1), i);
    EXPECT_DEBUG_DEATH(EXPECT_EQ(a.append(5), -1), "outside memory is full");
    EXPECT_EQ(a.count, 4);
    EXPECT_EQ(memory[4], -99);
    a.free();
    EXPECT_EQ(a.data, memory);
    EXPECT_EQ(a.allocated, 4);
    EXPECT_EQ(a.count, 0);
    a.append(9);
  }  // the destructor leaves the memory alone too
  EXPECT_EQ(memory[0], 9);
  EXPECT_EQ(memory[3], 4);
}

TEST(GrowArray, IndicesOutsideTheElementsAreRefused) {
  GrowArray<int32_t> a;
  for (int i = 0; i < 3; ++i) a.append(i);
  EXPECT_DEBUG_DEATH(EXPECT_EQ(a.insert(4, 9), -1), "index outside");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(a.insert(-1, 9), -1), "index outside");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(a.remove(3), -1), "index outside");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(a.remove(-1), -1), "index outside");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(a.remove_range(-1, 2), -1), "negative first");
  EXPECT_EQ((std::vector<int32_t>(a.begin(), a.end())), (std::vector<int32_t>{0, 1, 2}));
}

TEST(GrowArray, FreeTwiceAndReuse) {
  GrowArray<int32_t> a(3, 0);
  a.append(1);
  a.free();
  EXPECT_EQ(a.data, nullptr);
  EXPECT_EQ(a.allocated, 0);
  EXPECT_EQ(a.data_copy, nullptr);
  a.free();
  EXPECT_EQ(a.count, 0);
  a.append(2);
  EXPECT_EQ(a.allocated, 8);
  EXPECT_EQ(a.data[0], 2);
}

}  // namespace
