// The "VFileSystem009" interface behind the file-system binding, and the stdio operations table.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/interface/filesystem_binding.h"
#include "engine/interface/interface_registry.h"
#include "engine/interface/stdio_file_ops.h"
#include "platform/common/common.h"
#include "tests/support/headless_fixture.h"

namespace {

class FileSystemBinding : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    plat::common::setProgramArgs(0, nullptr);
    dir.write("data/items.txt", "0123456789");
    dir.mkdir("data/folder.txt");
  }
  void TearDown() override {
    std::filesystem::permissions(dir.hostPath("data/items.txt"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    HeadlessTest::TearDown();
  }
};

TEST_F(FileSystemBinding, ReadOnly) {
  ASSERT_EQ(filesystem_load(), 1);
  EXPECT_EQ(filesystem_start(), 1);
  plat::IVFileSystem* fs = filesystem_interface();
  ASSERT_NE(fs, nullptr);
  std::filesystem::permissions(dir.hostPath("data/items.txt"), std::filesystem::perms::owner_read |
                                                                   std::filesystem::perms::group_read |
                                                                   std::filesystem::perms::others_read);

  // "rb+" as the config loaders ask: opens read-only, so a 0444 file still loads.
  plat::VFile* f = fs->open("DATA\\Items.TXT", "rb+", nullptr);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fs->size(f), 10u);
  char buf[8] = {};
  fs->seek(f, 4, plat::VSEEK_HEAD);
  EXPECT_EQ(fs->read(buf, 3, f), 3u);
  EXPECT_EQ(std::string(buf, 3), "456");
  fs->seek(f, 1, plat::VSEEK_CURRENT);
  EXPECT_EQ(fs->tell(f), 8u);
  fs->seek(f, -2, plat::VSEEK_TAIL);
  EXPECT_EQ(fs->read(buf, 8, f), 2u);
  EXPECT_EQ(std::string(buf, 2), "89");
  EXPECT_EQ(fs->write("x", 1, f), 0u);  // no writes through a read-only open
  fs->close(f);
  EXPECT_EQ(dir.read("data/items.txt"), "0123456789");

  EXPECT_EQ(fs->open("data/folder.txt", "rb", nullptr), nullptr);  // folders never open as files
  EXPECT_FALSE(fs->exists("data/folder.txt"));
  EXPECT_TRUE(fs->exists("data/items.txt"));
  EXPECT_EQ(fs->open("data/missing.txt", "rb", nullptr), nullptr);
}

TEST_F(FileSystemBinding, ModulesLoadThroughTheBoundFileSystem) {
  const plat::ModuleHandle net = plat::get().modules().load("client_net.dll");
  EXPECT_EQ(filesystem_load_module("client_net"), net);  // unbound: module_load
  EXPECT_EQ(filesystem_start(), 0);
  ASSERT_EQ(filesystem_load(), 1);
  EXPECT_EQ(filesystem_load_module("client_net"), net);
  EXPECT_EQ(filesystem_load_module("nothing.dll"), 0u);
}

TEST_F(FileSystemBinding, StdioFileOpsSlots) {
  const StdioFileOps& ops = STDIO_FILE_OPS;
  // 0, 2, 4, 5, 7, 1
  plat::File* f = ops.open("data/items.txt", "rb", 0);
  ASSERT_NE(f, nullptr);
  char buf[4] = {};
  EXPECT_EQ(ops.read(buf, 3, f), 3u);
  EXPECT_EQ(std::string(buf, 3), "012");
  EXPECT_EQ(ops.tell(f), 3);
  EXPECT_EQ(ops.size_of_file(f), 10u);
  EXPECT_EQ(ops.tell(f), 3);  // put back where it was
  EXPECT_EQ(ops.seek(f, -1, 2), 0);
  EXPECT_EQ(ops.tell(f), 9);
  EXPECT_EQ(ops.seek(f, -3, 7), 0);  // any other whence counts from the end
  EXPECT_EQ(ops.tell(f), 7);
  EXPECT_EQ(ops.seek(f, 2, 0), 0);
  EXPECT_EQ(ops.seek(f, 1, 1), 0);
  EXPECT_EQ(ops.tell(f), 3);
  EXPECT_EQ(ops.seek(nullptr, 5, 0), 0);
  ops.close(f);
  ops.close(nullptr);

  // 3, 9
  plat::File* w = ops.open("data/new.bin", "wb", 0);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(ops.write("abc", 3, w), 3u);
  EXPECT_EQ(ops.flush(w), 0);
  ops.close(w);
  EXPECT_EQ(dir.read("data/new.bin"), "abc");

  // 6, 8
  EXPECT_EQ(ops.size_of_path("data/items.txt"), 10u);
  EXPECT_EQ(ops.size_of_path("data/missing.txt"), 0u);
  EXPECT_GT(ops.time_of_path("data/items.txt"), 0);
  EXPECT_EQ(ops.time_of_path("data/missing.txt"), 0);

  // 10, 11, 12
  EXPECT_EQ(ops.read_through("data/items.txt"), 1);
  EXPECT_EQ(ops.read_through("data/missing.txt"), 0);
  EXPECT_EQ(ops.exists("data/items.txt"), 1);
  EXPECT_EQ(ops.exists("data/folder.txt"), 0);
  EXPECT_EQ(ops.exists("data/missing.txt"), 0);
  EXPECT_EQ(ops.writable("data/items.txt"), 0x80);
  std::filesystem::permissions(dir.hostPath("data/items.txt"), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(ops.writable("data/items.txt"), 0);
  EXPECT_EQ(ops.writable("data/missing.txt"), 0);
}

}  // namespace
