// File streams on a temporary game folder: access modes, peeks, writes at the end.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "audio/stream/file_stream.h"
#include "plat/files.h"
#include "tests/support/temp_game_dir.h"

namespace {

using audio::CFileStream;
using audio::CStream;

struct FileStream : ::testing::Test {
  veldra_test::TempGameDir dir;
  std::unique_ptr<plat::IFileSystem> files = plat::makePosixFileSystem(dir.path());
};

TEST_F(FileStream, ReadModesPeekAndSeek) {
  dir.write("music/a.mp3", "0123456789");
  for (int mode : {0, 2}) {
    CFileStream s;
    ASSERT_EQ(s.open(*files, "MUSIC\\A.MP3", mode), 0);
    EXPECT_EQ(s.size(), 10);
    EXPECT_EQ(s.flags() & CStream::kRandomAccess, mode == 2 ? CStream::kRandomAccess : 0u);
    EXPECT_FALSE(s.flags() & CStream::kWritable);
    char buf[4] = {};
    s.read(buf, 2);
    EXPECT_EQ(s.peek(buf, 3), 3);
    EXPECT_EQ(std::string(buf, 3), "234");
    EXPECT_EQ(s.readByte(), '2');
    EXPECT_EQ(s.seek(8), mode == 2 ? 8 : 3);
    EXPECT_EQ(s.write("x", 1), 0);
  }
  EXPECT_EQ(dir.read("music/a.mp3"), "0123456789");
}

TEST_F(FileStream, WriteModes) {
  dir.write("a.bin", "abc");
  CFileStream w;
  ASSERT_EQ(w.open(*files, "a.bin", 1), 0);
  EXPECT_EQ(w.size(), 0);
  EXPECT_EQ(w.write("de", 2), 2);
  EXPECT_EQ(w.close(), 0);
  EXPECT_EQ(dir.read("a.bin"), "abcde");

  CFileStream rw;
  ASSERT_EQ(rw.open(*files, "a.bin", 3), 0);
  EXPECT_TRUE(rw.flags() & CStream::kExtendable);
  rw.seek(4);
  EXPECT_EQ(rw.write("XYZ", 3), 3);
  EXPECT_EQ(rw.size(), 7);
  rw.seek(0);
  char buf[8] = {};
  EXPECT_EQ(rw.read(buf, 8), 7);
  EXPECT_EQ(std::string(buf, 7), "abcdXYZ");
  rw.close();

  // The same through a cache: written back on close.
  CFileStream cached;
  ASSERT_EQ(cached.open(*files, "a.bin", 3), 0);
  ASSERT_EQ(cached.control(15, nullptr, 65536), 1);
  cached.seek(1);
  EXPECT_EQ(cached.write("--", 2), 2);
  EXPECT_EQ(cached.seekFromEnd(-1), 6);
  EXPECT_EQ(cached.readByte(), 'Z');
  EXPECT_EQ(cached.write("!", 1), 1);
  EXPECT_EQ(dir.read("a.bin"), "a--dXYZ");  // the seek away wrote back "--"; "!" is still held
  cached.close();
  EXPECT_EQ(dir.read("a.bin"), "a--dXYZ!");

  CFileStream c;
  ASSERT_EQ(c.open(*files, "a.bin", 3 | CFileStream::kCreateTruncate), 0);
  EXPECT_EQ(c.size(), 0);
  c.close();
  EXPECT_EQ(dir.read("a.bin"), "");

  CFileStream missing;
  EXPECT_EQ(missing.open(*files, "none.bin", 2), -1);
  EXPECT_EQ(missing.open(*files, "none.bin", 3 | 4), -1);  // creation without truncation: not offered
  EXPECT_EQ(missing.flags(), 0u);
}

}  // namespace
