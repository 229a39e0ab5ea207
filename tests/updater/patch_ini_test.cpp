// The deletions a patch's "Patch.ini" asks for: inside the game folder only, never the
// self-replacement program or the updater's settings, and never through a link.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/updater/sentinel_fixture.h"
#include "updater/module_path.h"
#include "updater/patch_apply.h"

namespace {

namespace fs = std::filesystem;
using patch_test::SentinelTest;
using updater::ModulePath;

class PatchIni : public SentinelTest {
 protected:
  void SetUp() override {
    SentinelTest::SetUp();
    cwd_ = fs::current_path();
  }
  void TearDown() override {
    EXPECT_EQ(fs::current_path(), cwd_) << "the current folder moved";
    SentinelTest::TearDown();
  }

 private:
  fs::path cwd_;
};

TEST_F(PatchIni, DeleteFilesTable) {
  for (const char* name : {"old.txt", "ReplaceSelf.dll", "update.ini", "keep.txt", "sub/other.txt"}) put(name, "x");
  put("Patch.ini",
      "[DeleteFiles]\r\n"
      "a=old.txt\r\n"
      "b=ReplaceSelf.dll\r\nc=REPLACESELF.DLL\r\nd=./replaceself.dll\r\ne=sub/../replaceself.dll\r\n"
      "f=update.ini\r\ng=Update.ini\r\n"
      "h=\r\ni=.\r\nj=..\r\nk=/etc/hostname\r\nl=../x\r\nm=a/../../x\r\nn=sub\r\no=../outside.txt\r\n"
      "p=SUB\\OTHER.TXT\r\n");
  updater::ApplyDeleteFiles(ModulePath(""));
  EXPECT_FALSE(has("old.txt"));
  EXPECT_FALSE(has("sub/other.txt"));
  for (const char* kept : {"ReplaceSelf.dll", "update.ini", "keep.txt", "Patch.ini"}) EXPECT_TRUE(has(kept)) << kept;
  EXPECT_TRUE(fs::is_directory(game("sub")));
}

TEST_F(PatchIni, DeleteDirectoriesTable) {
  put("data/old/a.txt", "a");
  put("data/old/deep/b.txt", "b");
  put("data/keep.txt", "k");
  put("plain.txt", "p");
  put("Patch.ini",
      "[DeleteDirectorys]\r\n"
      "a=data/old\r\nb=plain.txt\r\nc=..\r\nd=.\r\ne=\r\nf=../outside_dir\r\ng=/tmp\r\n");
  updater::ApplyDeleteDirectories(ModulePath(""));
  EXPECT_FALSE(has("data/old"));
  EXPECT_TRUE(has("data/keep.txt"));
  EXPECT_TRUE(has("plain.txt"));
  EXPECT_TRUE(has("Patch.ini"));
}

TEST_F(PatchIni, TreeDeleteNeverFollowsLinks) {
  put("tree/a.txt", "a");
  fs::create_directories(game("tree/loop"));
  fs::create_symlink("..", game("tree/loop/up"));                       // a loop back up
  fs::create_symlink(dir.hostPath("outside_dir"), game("tree/out"));    // a folder outside
  fs::create_symlink(dir.hostPath("outside.txt"), game("tree/f.txt"));  // a file outside
  put("target/t.txt", "inside");
  fs::create_symlink(game("target"), game("tree/in"));                  // a folder inside
  EXPECT_EQ(updater::DeleteDirectoryTree(ModulePath("tree")), 1);
  EXPECT_FALSE(has("tree"));
  EXPECT_EQ(get("target/t.txt"), "inside");
  // A link to a folder, a file and nothing are not folders to delete.
  fs::create_symlink(game("target"), game("alias"));
  EXPECT_EQ(updater::DeleteDirectoryTree(ModulePath("alias")), 0);
  EXPECT_EQ(updater::DeleteDirectoryTree(ModulePath("target/t.txt")), 0);
  EXPECT_EQ(updater::DeleteDirectoryTree(ModulePath("missing")), 0);
  EXPECT_TRUE(has("alias"));
  EXPECT_EQ(get("target/t.txt"), "inside");
}

TEST_F(PatchIni, MissingPatchIniDeletesNothing) {
  put("old.txt", "x");
  put("data/a.txt", "a");
  updater::ApplyDeleteFiles(ModulePath(""));
  updater::ApplyDeleteDirectories(ModulePath(""));
  EXPECT_TRUE(has("old.txt"));
  EXPECT_TRUE(has("data/a.txt"));
}

TEST_F(PatchIni, ApplyingAnArchive) {
  put("old.txt", "x");
  put("gone/a.txt", "a");
  std::string error;
  mkzip::Entry ini = file("Patch.ini", "[DeleteFiles]\r\n1=old.txt\r\n[DeleteDirectorys]\r\n1=gone\r\n");
  EXPECT_EQ(updater::ApplyPatchArchive(zip({file("new.txt", "n"), ini})), 1);
  EXPECT_EQ(get("new.txt"), "n");
  EXPECT_FALSE(has("old.txt"));
  EXPECT_FALSE(has("gone"));
  EXPECT_FALSE(has("bin.zip"));
  // An archive that fails half-way is deleted, reports the failure and deletes nothing.
  put("old.txt", "x");
  mkzip::Entry bad = file("broken.txt", "b");
  bad.badCrc = true;
  EXPECT_EQ(updater::ApplyPatchArchive(zip({file("second.txt", "s"), bad})), 0);
  EXPECT_TRUE(has("second.txt"));
  EXPECT_TRUE(has("old.txt"));
  EXPECT_FALSE(has("bin.zip"));
}

}  // namespace
