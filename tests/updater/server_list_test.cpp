// The launcher's server list: server.cfg over the built-in entries, the bounds of its fields, the
// chosen entry, and the launcher configuration in the registry file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "plat/sockets.h"
#include "tests/support/headless_fixture.h"
#include "updater/launcher_config.h"
#include "updater/module_path.h"
#include "updater/update_dlg.h"

namespace {

using updater::CUpdateDlg;
using updater::SERVER_ENTRY;

class ServerList : public veldra_test::HeadlessTest {};

std::string entryLines(int n, int id, const std::string& extra = "") {
  const std::string k = std::to_string(n);
  return "id" + k + "=" + std::to_string(id) + "\r\nline" + k + "=1\r\nloginIP" + k + "=127.0.0.1\r\nver" + k +
         "=1.2\r\nname" + k + "=S" + k + "\r\nloginPort" + k + "=9000\r\nupdateAddr" + k + "=http://h/" + k + "\r\n" +
         extra;
}

TEST_F(ServerList, Table) {
  struct Case {
    const char* name;
    bool file;
    std::string text;
    int result;
    int count;
  };
  std::string many;
  for (int n = 1; n <= 150; ++n) many += entryLines(n, 100000 + n * 100);
  const Case cases[] = {
      {"id1=0", true, "id1=0\r\n" + entryLines(2, 100200), 0, 0},
      {"id3 missing", true, entryLines(1, 100100) + entryLines(2, 100200) + entryLines(4, 100400), 0, 2},
      {"no file", false, "", -1, 6},
      {"150 entries", true, many, 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CUpdateDlg dlg;
    dlg.SetBuiltinServers();
    const SERVER_ENTRY firstBuiltin = dlg.servers[0];
    if (c.file) {
      dir.write("server.cfg", c.text);
    } else {
      std::filesystem::remove(dir.hostPath("server.cfg"));
    }
    EXPECT_EQ(dlg.ReadServerList(), c.result);
    EXPECT_EQ(dlg.serverCount, c.count);
    if (!c.file) {
      EXPECT_EQ(dlg.servers[0].id, firstBuiltin.id);
      EXPECT_STREQ(dlg.servers[0].name, firstBuiltin.name);
    }
    if (c.count == 100) {
      EXPECT_EQ(dlg.servers[99].id, 100000 + 100 * 100);
    }
  }
}

TEST_F(ServerList, FieldsAreBoundedAndConverted) {
  dir.write("server.cfg",
            "# three groups\r\n"
            "id1=100100\r\nline1=3\r\nloginIP1=1234567890.1234567\r\nver1=v1.2.3.4.5.6.7.8.9\r\n"
            "name1=ABCDEFGHIJK\xB0\xA1XYZWVUTS\r\nloginPort1=40000\r\nupdateAddr1=http://upd/1/version.txt\r\n"
            "id2=100200\r\nline2=0\r\nloginIP2=10.1\r\nname2=ABCDEFGHIJKL\xB0\xA1XYZWVU\r\nloginPort2=70000\r\n"
            "id3=200100\r\nloginPort3=-1\r\n");
  CUpdateDlg dlg;
  dlg.SetBuiltinServers();
  ASSERT_EQ(dlg.ReadServerList(), 0);
  ASSERT_EQ(dlg.serverCount, 3);
  const SERVER_ENTRY& a = dlg.servers[0];
  EXPECT_EQ(a.id, 100100);
  EXPECT_EQ(a.line, 3);
  EXPECT_STREQ(a.loginIP, "1234567890.1234");
  EXPECT_STREQ(a.ver, "v1.2.3.4.5.6.7.");
  // A double-byte character over the 12-byte bound is dropped whole.
  EXPECT_STREQ(a.name, "ABCDEFGHIJK");
  EXPECT_EQ(a.loginPort, 40000);
  EXPECT_EQ(dlg.updateAddrs[0], "http://upd/1/version.txt");
  const SERVER_ENTRY& b = dlg.servers[1];
  EXPECT_EQ(b.line, 0);
  EXPECT_STREQ(b.name, "ABCDEFGHIJKL");
  EXPECT_EQ(b.loginPort, 70000 & 0xFFFF);
  const SERVER_ENTRY& c = dlg.servers[2];
  EXPECT_EQ(c.loginPort, 0xFFFF);
  EXPECT_STREQ(c.name, "");
  EXPECT_EQ(dlg.updateAddrs[2], "");
}

TEST_F(ServerList, ChosenEntryIsCopiedWholeAndItsPortReachesAConnect) {
  plat::net::Socket listener = plat::net::listen("127.0.0.1", 0, 4);
  ASSERT_TRUE(listener.valid());
  const uint16_t port = plat::net::local(listener)->port;
  dir.write("server.cfg", entryLines(1, 100100) + "id2=100200\r\nline2=1\r\nloginIP2=127.0.0.1\r\nname2=Two\r\n"
                                                  "loginPort2=" + std::to_string(port) + "\r\nupdateAddr2=http://two\r\n");
  CUpdateDlg dlg;
  dlg.SetBuiltinServers();
  ASSERT_EQ(dlg.ReadServerList(), 0);

  ASSERT_TRUE(dlg.ChooseServer(100200));
  EXPECT_EQ(dlg.chosenIndex, 1);
  EXPECT_EQ(std::memcmp(&updater::chosenServer(), &dlg.servers[1], sizeof(SERVER_ENTRY)), 0);
  EXPECT_EQ(dlg.currentUpdateAddr, "http://two");
  const SERVER_ENTRY& chosen = updater::chosenServer();
  EXPECT_EQ(chosen.loginPort, port);
  plat::net::Socket s = plat::net::connect(plat::net::inetAddr(chosen.loginIP), chosen.loginPort, 2000);
  EXPECT_TRUE(s.valid());

  // No such id: the first entry.
  ASSERT_TRUE(dlg.ChooseServer(999900));
  EXPECT_EQ(dlg.chosenIndex, 0);
  EXPECT_EQ(updater::chosenServer().id, 100100);
  // An empty list chooses nothing.
  dlg.serverCount = 0;
  EXPECT_FALSE(dlg.ChooseServer(100100));
}

TEST_F(ServerList, ModulePathIsBesideTheProgram) {
  EXPECT_EQ(updater::ModulePath(""), dir.path() + "/");
  EXPECT_EQ(updater::ModulePath("server.cfg"), dir.path() + "/server.cfg");
  // The resolver takes the absolute path as one inside the game folder, any letter case.
  dir.write("server.cfg", "id1=1\r\n");
  EXPECT_TRUE(hp().files().isFile(updater::ModulePath("SERVER.CFG")));
}

class LauncherConfig : public veldra_test::HeadlessTest {};

TEST_F(LauncherConfig, Table) {
  // Nothing configured: loopback everywhere.
  {
    CUpdateDlg dlg;
    dlg.SetBuiltinServers();
    ASSERT_EQ(dlg.serverCount, 6);
    const int ids[] = {200300, 100200, 200200, 100000, 200000, 200100};
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(dlg.servers[i].id, ids[i]);
      EXPECT_STREQ(dlg.servers[i].loginIP, "127.0.0.1");
      EXPECT_EQ(dlg.servers[i].loginPort, 9997);
      EXPECT_EQ(dlg.servers[i].line, 1);
      EXPECT_STREQ(dlg.servers[i].ver, "1.0.1");
      EXPECT_EQ(dlg.servers[i].name, "Server " + std::to_string(i + 1));
      EXPECT_EQ(dlg.updateAddrs[i], "http://127.0.0.1/autoupd/version.txt");
    }
    EXPECT_EQ(updater::launcherConfig().ftpPort, 21u);
    EXPECT_EQ(updater::DownloadPageUrl(), "http://127.0.0.1/download/client.php");
  }
  // A registry file's values override them.
  dir.write("registry.ini",
            "[HKLM\\Software\\Veldra\\Launcher]\r\n"
            "Publisher=http://10.0.0.9:8080\r\n"
            "FtpPort=dword:00000015\r\n"
            "LoginIP2=10.0.0.2\r\n"
            "Name3=ABCDEFGHIJK\xB0\xA1XYZWVUT\r\n"
            "UpdateAddr4=http://other/v.txt\r\n");
  TearDown();
  SetUp();
  CUpdateDlg dlg;
  dlg.SetBuiltinServers();
  EXPECT_STREQ(dlg.servers[1].loginIP, "10.0.0.2");
  EXPECT_STREQ(dlg.servers[2].name, "ABCDEFGHIJK");
  EXPECT_EQ(dlg.updateAddrs[0], "http://10.0.0.9:8080/autoupd/version.txt");
  EXPECT_EQ(dlg.updateAddrs[3], "http://other/v.txt");
  EXPECT_EQ(updater::launcherConfig().ftpPort, 0x15u);
  EXPECT_EQ(updater::launcherConfig().registerSite, "http://127.0.0.1");
  EXPECT_EQ(updater::DownloadPageUrl(), "http://10.0.0.9:8080/download/client.php");
}

}  // namespace
