// pak_fseek and pak_ftell: the archive entry's own rules, and the C runtime's for disk files.
#include "tests/engine/pak_fixture.h"

namespace pak_test {
namespace {

class PakSeek : public PakTest {};

TEST_F(PakSeek, Table) {
  const Bytes data = compressible(100, 7);
  ASSERT_NE(packAndOpen({{"hundred.bin", data}, {"empty.bin", {}}}), nullptr);
  writeFile("disk.bin", data);
  PAK_FILE* entry = pak_fopen("hundred.bin", "rb");
  PAK_FILE* disk = pak_fopen("disk.bin", "rb");
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(disk, nullptr);

  struct Case {
    long offset;
    int whence;
    long entryTell;  // after seeking from position 42
    long diskTell;   // -1: fseek fails and the position stays 42
  };
  const Case cases[] = {
      {0, 2, 99, 100},  // SEEK_END is the last byte of an entry, one past it on disk
      {-1, 2, 98, 99},    {10, 2, 99, 110},  {-200, 1, 0, -1}, {150, 0, 99, 150},
      {5, 1, 47, 47},     {0, 0, 0, 0},      {-1, 0, 0, -1},   {7, 7, 42, -1},  // whence 7
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("offset " + std::to_string(c.offset) + " whence " + std::to_string(c.whence));
    ASSERT_EQ(pak_fseek(entry, 42, 0), 0);
    EXPECT_EQ(pak_fseek(entry, c.offset, c.whence), 0);
    EXPECT_EQ(pak_ftell(entry), c.entryTell);
    ASSERT_EQ(pak_fseek(disk, 42, 0), 0);
    EXPECT_EQ(pak_fseek(disk, c.offset, c.whence) == 0, c.diskTell >= 0);
    EXPECT_EQ(pak_ftell(disk), c.diskTell >= 0 ? c.diskTell : 42);
  }
  // After a clamped seek the entry reads from the last byte.
  pak_fseek(entry, 1000, 0);
  uint8_t b[4] = {};
  EXPECT_EQ(pak_fread(b, 1, 4, entry), 1u);
  EXPECT_EQ(b[0], data[99]);
  EXPECT_EQ(pak_ftell(entry), 100);

  // An empty entry keeps position 0 and reads nothing, whatever the seek.
  PAK_FILE* empty = pak_fopen("empty.bin", "rb");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(pak_fsize(empty), 0);
  for (int whence = 0; whence < 3; ++whence) {
    EXPECT_EQ(pak_fseek(empty, whence == 2 ? 0 : 5, whence), 0);
    EXPECT_EQ(pak_ftell(empty), 0);
    EXPECT_EQ(pak_fread(b, 1, 4, empty), 0u);
  }
  EXPECT_EQ(pak_decode_stats().decodes, 1u);  // only the hundred-byte entry's block
  pak_fclose(empty);
  pak_fclose(entry);
  pak_fclose(disk);
}

}  // namespace
}  // namespace pak_test
