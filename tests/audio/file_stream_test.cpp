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
  EXPECT_EQ(missing.flags(), 0u);
}

TEST_F(FileStream, CreationModes) {
  struct Case { int mode; bool exists; int result; const char* after; int64_t size; };
  const Case cases[] = {
      {3 | CFileStream::kCreate, true, 0, "abcdef", 6},            // kept as it was
      {3 | CFileStream::kCreate, false, 0, "", 0},
      {1 | CFileStream::kCreate, true, 0, "abcdef", 0},            // writing starts at the end
      {3 | CFileStream::kCreateTruncate, true, 0, "", 0},
      {1 | CFileStream::kCreateTruncate, false, 0, "", 0},
      {3 | CFileStream::kCreateExclusive, true, -1, "abcdef", 0},  // refused, untouched
      {3 | CFileStream::kCreateExclusive, false, 0, "", 0},
      {1 | CFileStream::kCreateExclusive, false, 0, "", 0},
      {3, false, -1, nullptr, 0},                                  // no creation: must exist
  };
  for (const Case& c : cases) {
    const std::string name = "new/c" + std::to_string(&c - cases) + ".bin";
    dir.mkdir("new");
    if (c.exists) dir.write(name, "abcdef");
    CFileStream s;
    EXPECT_EQ(s.open(*files, name, c.mode), c.result) << c.mode;
    EXPECT_EQ(s.size(), c.size) << c.mode;
    s.close();
    if (c.after != nullptr) {
      EXPECT_EQ(dir.read(name), c.after) << c.mode;
    } else {
      EXPECT_FALSE(dir.exists(name));
    }
  }
}

TEST_F(FileStream, TruncateOnCloseCutsAtThePosition) {
  struct Case { int mode; int64_t cache; int64_t set; int64_t seekTo; const char* write; const char* after; };
  const Case cases[] = {
      {3, 0, 1, 4, nullptr, "0123"},
      {3, 0, 1, 2, "XY", "01XY"},           // cut behind what was written
      {3, 4096, 1, 6, "ab", "012345ab"},    // the cache is written back before the cut
      {3, 0, 0, 4, nullptr, "0123456789"},  // not set
      {2, 0, 1, 4, nullptr, "0123456789"},  // refused: the stream cannot grow or shrink
  };
  for (const Case& c : cases) {
    dir.write("t.bin", "0123456789");
    CFileStream s;
    ASSERT_EQ(s.open(*files, "t.bin", c.mode), 0);
    if (c.cache > 0) {
      ASSERT_EQ(s.control(15, nullptr, c.cache), 1);
    }
    EXPECT_EQ(s.control(CFileStream::kSetTruncateOnClose, nullptr, c.set), 0);
    const bool armed = c.set != 0 && c.mode == 3;
    EXPECT_EQ(s.control(CFileStream::kGetTruncateOnClose, nullptr, 0), armed ? 1 : 0);
    s.seek(c.seekTo);
    if (c.write != nullptr) {
      EXPECT_EQ(s.write(c.write, 2), 2);
    }
    EXPECT_EQ(s.close(), 0);
    EXPECT_EQ(dir.read("t.bin"), c.after) << c.mode << " " << c.seekTo;
    // A new open starts without the flag.
    ASSERT_EQ(s.open(*files, "t.bin", 3), 0);
    EXPECT_EQ(s.control(CFileStream::kGetTruncateOnClose, nullptr, 0), 0);
  }
  // Setting returns the old value; clearing disarms it again.
  dir.write("t.bin", "0123456789");
  CFileStream s;
  ASSERT_EQ(s.open(*files, "t.bin", 3), 0);
  EXPECT_EQ(s.control(CFileStream::kSetTruncateOnClose, nullptr, 1), 0);
  EXPECT_EQ(s.control(CFileStream::kSetTruncateOnClose, nullptr, 0), 1);
  s.seek(3);
  s.close();
  EXPECT_EQ(dir.read("t.bin"), "0123456789");
}

}  // namespace
