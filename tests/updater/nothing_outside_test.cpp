// The whole patch road in a game folder inside a sentinel folder: the version check, downloads
// from nginx with their resume record, hostile archives and a hostile Patch.ini, links that
// point out of the folder. Afterwards every entry outside the game folder is as it was (the
// sentinel fixture compares names, sizes, modes and times).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/nginx_fixture.h"
#include "tests/updater/sentinel_fixture.h"
#include "updater/extract_zip.h"
#include "updater/module_path.h"
#include "updater/patch_apply.h"
#include "updater/update_engine.h"

namespace {

namespace fs = std::filesystem;
using updater::ModulePath;

class Updater : public patch_test::SentinelTest {
 protected:
  void configure(plat::HeadlessOptions& o) override {
    SentinelTest::configure(o);
    o.realClock = true;
  }
};

TEST_F(Updater, NothingOutside) {
  veldra_test::NginxFixture web;
  ASSERT_TRUE(web.start()) << web.error();
  fs::create_directory_symlink(dir.hostPath("outside_dir"), game("escape"));
  fs::create_symlink(dir.hostPath("outside.txt"), game("escape.txt"));
  auto serve = [&](const std::string& name, const std::vector<mkzip::Entry>& entries) {
    std::string error;
    EXPECT_TRUE(mkzip::writeZip(web.site() + "/" + name, entries, &error)) << error;
    return std::to_string(fs::file_size(web.site() + "/" + name)) + "/" + web.url("/" + name);
  };
  const std::string hostileIni =
      "[DeleteFiles]\r\n1=../x\r\n2=../outside.txt\r\n3=/etc/hostname\r\n4=escape/inner.txt\r\n5=escape.txt\r\n"
      "[DeleteDirectorys]\r\n1=..\r\n2=../outside_dir\r\n3=escape\r\n4=.\r\n";
  const std::string first = serve("p1.zip", {file("new.txt", "new"), file("Patch.ini", hostileIni)});
  const std::string second = serve("p2.zip", {file("fine.txt", "fine"), file("escape/y.txt", "through the link")});
  put("version.txt", "[version+]\r\n1.1=" + first + "\r\n1.2=" + second + "\r\n");
  put("Update.ini", "[FTPConfig]\r\nCurrentVersion=1.0\r\n");

  updater::CUpdateEngine engine;
  ASSERT_EQ(engine.CheckVersion(ModulePath("Update.ini"), nullptr, 0), 1);
  EXPECT_EQ(engine.DownloadPatches(), 0);  // the second archive writes through a link: refused
  EXPECT_EQ(get("new.txt"), "new");
  EXPECT_EQ(get("fine.txt"), "fine");
  EXPECT_NE(get("Update.ini").find("CurrentVersion=1.1\r\n"), std::string::npos);
  EXPECT_TRUE(has("break.cfg"));
  EXPECT_FALSE(has("bin.zip"));
  // Neither a Patch.ini nor the tree delete reaches through a link out of the folder.
  EXPECT_TRUE(has("escape.txt"));
  EXPECT_TRUE(has("escape"));

  // More hostile archives straight into the folder.
  for (const std::string& name : {std::string("../x"), std::string("escape/z.txt"), std::string("/x"),
                                  std::string("a/../../x")}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(updater::ExtractZipToFolder(zip({file(name, "hostile")}), ModulePath("")), 0);
  }
  EXPECT_EQ(updater::DeleteDirectoryTree(ModulePath("escape")), 0);
  EXPECT_EQ(updater::DeleteDirectoryTree(ModulePath("..")), 0);

  const int pid = web.pid();
  EXPECT_TRUE(web.stop());
  EXPECT_FALSE(veldra_test::processAlive(pid));
}

}  // namespace
