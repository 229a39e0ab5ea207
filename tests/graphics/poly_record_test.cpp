#include <gtest/gtest.h>

#include <cstring>

#include "graphics/poly/poly.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST(PolyRecord, FieldsLandAtTheirOffsetsAndReadBack) {
  POLY p{};
  p.count = 4;
  p.kind = 3;
  p.min_x_index = 1;
  p.max_base_index = 6;
  p.centre_x = -7;
  for (int i = 0; i < POLY_LIST_SIZE; ++i) {
    p.x[i] = 100 + i;
    p.y[i] = 200 + i;
    p.base[i] = 300 + i;
    p.top[i] = 400 + i;
    p.extra[i] = 500 + i;
  }
  p.top_a = 11;
  p.base_a = 12;
  p.base_d = -13;

  plat::ByteWriter w;
  poly_write(w, p);
  const std::vector<uint8_t>& b = w.data();
  ASSERT_EQ(b.size(), POLY_RECORD_SIZE);
  const struct {
    size_t at;
    uint32_t value;
  } cases[] = {{0, 4},   {4, 3},   {20, uint32_t(-7)}, {36, 100},         {96, 115}, {100, 200},
               {164, 300}, {228, 400}, {292, 500},       {356, 11},         {360, 12}, {384, uint32_t(-13)}};
  for (const auto& c : cases) EXPECT_EQ(le32(b, c.at), c.value) << "offset " << c.at;
  EXPECT_EQ(b[8], 1);
  EXPECT_EQ(b[13], 6);

  plat::ByteReader r(b);
  const POLY back = poly_read(r);
  EXPECT_EQ(std::memcmp(&back, &p, sizeof p), 0);
  EXPECT_EQ(r.remaining(), 0u);

  plat::ByteReader shortInput(std::span<const uint8_t>(b.data(), b.size() - 1));
  EXPECT_THROW(poly_read(shortInput), plat::MalformedInput);
}

}  // namespace
