// The FTP client against the scripted FTP server (each step's failure, the reply reader, the
// data connection's ends) and against Debian's vsftpd (real files through the whole active-mode
// sequence). Real time with shortened waits: a fake sleep would use up the reply reads before
// the server has answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "plat/files.h"
#include "tests/support/child_process.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/scripted_ftp_server.h"
#include "tests/support/vsftpd_fixture.h"
#include "updater/ftp_client.h"
#include "updater/module_path.h"

namespace {

using updater::CFtpClient;
using veldra_test::FtpScript;

// The launcher configuration's FTP port, as a registry file gives it.
std::string registryWithFtpPort(uint16_t port) {
  char text[96];
  std::snprintf(text, sizeof text, "[HKLM\\Software\\Veldra\\Launcher]\r\nFtpPort=dword:%08x\r\n", unsigned(port));
  return text;
}

std::string randomBytes(size_t n, uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

class FtpTest : public veldra_test::HeadlessTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.realClock = true; }
  // The registry file must be in place before the platform reads it.
  void startWithPort(uint16_t port) {
    dir.write("registry.ini", registryWithFtpPort(port));
    HeadlessTest::SetUp();
  }

  // One download into "got.bin" of the game folder; the client is closed afterwards.
  int fetch(CFtpClient& client, const std::string& server, const std::string& directory, const std::string& user,
            const std::string& password, const std::string& remote) {
    std::unique_ptr<plat::File> file = hp().files().open(updater::ModulePath("got.bin"), "wb");
    if (!file) return -1000;
    const int result = client.Download(server, directory, user, password, remote, *file);
    file.reset();
    client.Close();
    return result;
  }
  std::string got() const { return dir.read("got.bin"); }
};

class FtpClient : public FtpTest {
 protected:
  void SetUp() override { startWithPort(server.port()); }

  static updater::Timing shortWaits() {
    updater::Timing t;
    t.ftpReplyWaitMs = 50;
    t.ftpDataRoundMs = 1;
    t.ftpAcceptWaitMs = 50;
    return t;
  }

  veldra_test::ScriptedFtpServer server;
};

TEST_F(FtpClient, CommandsOfAWholeDownload) {
  FtpScript script;
  script.data = randomBytes(300000, 1);
  server.serve(script);
  CFtpClient client(shortWaits());
  ASSERT_EQ(fetch(client, "127.0.0.1", "/pub", "anonymous", "guest", "f.bin"), 0);
  EXPECT_EQ(got(), script.data);
  const std::vector<std::string> commands = server.finish();
  EXPECT_TRUE(server.connectedBack());
  // The PORT address is the control connection's own, its bytes in order, the port's high byte
  // first; nothing follows "retr": no QUIT.
  ASSERT_EQ(commands.size(), 7u);
  EXPECT_EQ(commands[0], "user anonymous");
  EXPECT_EQ(commands[1], "pass guest");
  EXPECT_EQ(commands[2], "cwd /pub");
  EXPECT_EQ(commands[3], "type i");
  EXPECT_TRUE(std::regex_match(commands[4], std::regex("PORT 127,0,0,1,[0-9]{1,3},[0-9]{1,3}"))) << commands[4];
  EXPECT_EQ(commands[5], "rest 0");
  EXPECT_EQ(commands[6], "retr f.bin");
  EXPECT_FALSE(client.transferFailed());
}

TEST_F(FtpClient, OneClientPerFile) {
  // A client per fetch, each on a control connection of its own, as the engine fetches its files.
  FtpScript script;
  script.files = {{"version.txt", "[version+]\r\n"}, {"Affiche01.txt", "notice"}};
  script.sessions = 3;
  server.serve(script);
  for (const auto& [name, bytes] : script.files) {
    SCOPED_TRACE(name);
    CFtpClient client(shortWaits());
    EXPECT_EQ(fetch(client, "127.0.0.1", "/", "anonymous", "", name), 0);
    EXPECT_EQ(got(), bytes);
  }
  CFtpClient client(shortWaits());
  EXPECT_EQ(fetch(client, "127.0.0.1", "/", "anonymous", "", "missing.txt"), updater::FTP_RETR_REFUSED);
  const std::vector<std::string> commands = server.finish();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "user anonymous"), 3);
  EXPECT_EQ(std::count(commands.begin(), commands.end(), "pass "), 3);  // an empty password goes as it is
}

// One scripted session per row: what the server does, what the client is given, what comes of it.
struct FaultCase {
  const char* name;
  std::function<void(FtpScript&)> script;
  int expected;
  std::string file;            // the bytes written
  std::string directory = "/";
  std::string user = "anonymous";
  std::string remote = "f.bin";
  std::string server = "127.0.0.1";
  std::string neverSent = "";  // a command line that must not reach the server
};

TEST_F(FtpClient, Faults) {
  const auto reply = [](const char* word, std::vector<std::string> pieces) {
    return [=](FtpScript& s) { s.replies[word] = pieces; };
  };
  const auto data = [](std::string bytes) { return [=](FtpScript& s) { s.data = bytes; }; };
  const std::string longDir(1100, 'd');
  const std::vector<FaultCase> cases = {
      {"user answered 230", reply("user", {"230 Login successful.\r\n"}), updater::FTP_USER_REFUSED, ""},
      {"pass answered 530", reply("pass", {"530 Login incorrect.\r\n"}), updater::FTP_PASS_REFUSED, ""},
      {"cwd answered 550", reply("cwd", {"550 Failed to change directory.\r\n"}), updater::FTP_CWD_REFUSED, ""},
      {"type answered 500", reply("type", {"500 Unrecognised TYPE command.\r\n"}), updater::FTP_TYPE_REFUSED, ""},
      {"PORT answered 500", reply("port", {"500 Illegal PORT command.\r\n"}), updater::FTP_PORT_REFUSED, ""},
      {"rest answered 502", reply("rest", {"502 REST not implemented.\r\n"}), updater::FTP_REST_REFUSED, ""},
      {"retr answered 550", reply("retr", {"550 Failed to open file.\r\n"}), updater::FTP_RETR_REFUSED, ""},
      {"retr reply without (", reply("retr", {"150 Opening BINARY mode data connection.\r\n"}),
       updater::FTP_RETR_NO_PAREN, ""},
      {"( without a blank", reply("retr", {"150 Opening BINARY mode data connection for f.bin (5).\r\n"}),
       updater::FTP_RETR_NO_BLANK, ""},
      {"125 opens the transfer too",
       [](FtpScript& s) {
         s.data = "hello";
         s.replies["retr"] = {"125 Data connection already open; transfer starting (5 bytes).\r\n"};
       },
       0, "hello"},
      {"0 bytes announced: nothing written",
       [](FtpScript& s) {
         s.data = "abc";
         s.announced = 0;
       },
       0, ""},
      {"never past the announced size",
       [](FtpScript& s) {
         s.data = "0123456789";
         s.announced = 4;
       },
       0, "0123"},
      {"data closed early",
       [](FtpScript& s) {
         s.data = std::string(100, 'x');
         s.closeAfter = 50;
       },
       updater::FTP_DATA_SHORT, std::string(50, 'x')},
      {"no data connection",
       [](FtpScript& s) {
         s.data = "abc";
         s.connectBack = false;
       },
       updater::FTP_RECEIVE_FAILED, ""},
      {"greeting not examined", [](FtpScript& s) { s.greeting = "421 Service not available.\r\n"; }, 0, ""},
      {"reply in two sends, line end in the second", reply("user", {"331 Please specify", " the password.\r\n"}), 0,
       ""},
      {"reply with CR and LF apart", reply("user", {"331 ok\r", "\n"}), 0, ""},
      {"continuation line counts by its number", reply("pass", {"230-Welcome\r\n230 Login successful.\r\n"}), 0, ""},
      {"2,100 bytes without a line end", reply("user", {std::string(2100, '3')}), updater::FTP_USER_REFUSED, ""},
      {"directory holding CR LF", data("abc"), updater::FTP_CWD_REFUSED, "", "pub\r\ndele f.bin", "anonymous",
       "f.bin", "127.0.0.1", "dele f.bin"},
      {"user holding LF", data("abc"), updater::FTP_USER_REFUSED, "", "/", "anonymous\nsite x", "f.bin",
       "127.0.0.1", "site x"},
      {"remote name holding a control byte", data("abc"), updater::FTP_RETR_REFUSED, "", "/", "anonymous",
       "f.bin\x01", "127.0.0.1", "retr f.bin\x01"},
      {"texts cut to 1,023 characters", data("abc"), 0, "abc", longDir, "anonymous", "f.bin", "127.0.0.1",
       "cwd " + longDir},
      {"no server listening", data("abc"), updater::FTP_NO_CONNECTION, "", "/", "anonymous", "f.bin", "127.0.0.2"},
      {"no address", data("abc"), updater::FTP_NO_CONNECTION, "", "/", "anonymous", "f.bin", "ftp.example"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    FtpScript script;
    c.script(script);
    server.serve(script);
    CFtpClient client(shortWaits());
    EXPECT_EQ(fetch(client, c.server, c.directory, c.user, "guest", c.remote), c.expected);
    EXPECT_EQ(got(), c.file);
    EXPECT_EQ(client.transferFailed(), c.expected == updater::FTP_TYPE_REFUSED);
    const std::vector<std::string> commands = server.finish();
    if (!c.neverSent.empty()) {
      EXPECT_EQ(std::count(commands.begin(), commands.end(), c.neverSent), 0);
    }
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "cwd " + std::string(1023, 'd')),
              c.directory == longDir ? 1 : 0);
    for (const std::string& line : commands) EXPECT_NE(line.substr(0, 4), "QUIT");
  }
}

TEST(FtpReply, RetrSize) {
  struct Case {
    const char* reply;
    int result;
    int64_t size;
  };
  const Case cases[] = {
      {"150 Opening BINARY mode data connection for a (1048579 bytes).\r\n", 0, 1048579},
      {"150 Opening (12 bytes)\r\n226 Transfer complete.\r\n", 0, 12},  // the ")" is cut, not the size
      {"150 ok (0 bytes).\r\n", 0, 0},
      {"150 a(b (7 bytes).\r\n", 0, 0},      // the first "(" counts, as the client has always read it
      {"150 ( 12 bytes).\r\n", 0, 0},        // nothing between "(" and the blank
      {"150 (2147483647 bytes).\r\n", 0, 2147483647},
      {"150 (2147483648 bytes).\r\n", updater::FTP_RETR_NO_BLANK, -1},
      {"150 (99999999999999999999 bytes).\r\n", updater::FTP_RETR_NO_BLANK, -1},
      {"150 (-5 bytes).\r\n", updater::FTP_RETR_NO_BLANK, -1},
      {"150 (12 bytes).", updater::FTP_RETR_NO_LINE_END, -1},
      {"150 (12 bytes).\n", updater::FTP_RETR_NO_LINE_END, -1},
      {"150 (\r\n", updater::FTP_RETR_NO_PAREN, -1},  // the "(" before the line end is cut
      {"\r\n", updater::FTP_RETR_NO_PAREN, -1},
      {"150 (12).\r\n", updater::FTP_RETR_NO_BLANK, -1},
      {"150 x\r\n (5 bytes).\r\n", updater::FTP_RETR_NO_PAREN, -1},  // only the first line counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    int64_t size = -1;
    EXPECT_EQ(updater::ParseRetrSize(c.reply, size), c.result);
    EXPECT_EQ(size, c.size);
  }
}

// Debian's vsftpd on loopback: the files arrive byte for byte through user, pass, cwd, type i,
// PORT (the server connecting back), rest 0 (answered 350) and retr.
class FtpClientVsftpd : public FtpTest {
 protected:
  void SetUp() override {
    ftpd.put("empty.bin", "");
    ftpd.put("one.bin", "\x7f");
    ftpd.put("pub/big.bin", big);
    ASSERT_TRUE(ftpd.start()) << ftpd.error();
    startWithPort(ftpd.port());
  }
  void TearDown() override {
    const int pid = ftpd.pid();
    EXPECT_TRUE(ftpd.stop());
    EXPECT_FALSE(veldra_test::processAlive(pid));
    FtpTest::TearDown();
  }

  const std::string big = randomBytes((1u << 20) + 3, 7);
  veldra_test::VsftpdFixture ftpd;
};

TEST_F(FtpClientVsftpd, Files) {
  struct Case {
    const char* directory;
    const char* remote;
    std::string bytes;
  };
  const Case cases[] = {{".", "empty.bin", ""}, {".", "one.bin", "\x7f"}, {"pub", "big.bin", big}};
  updater::Timing timing;
  timing.ftpReplyWaitMs = 200;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.remote);
    CFtpClient client(timing);
    EXPECT_EQ(fetch(client, "127.0.0.1", c.directory, "anonymous", "guest@", c.remote), 0) << ftpd.log();
    EXPECT_TRUE(got() == c.bytes) << "got " << got().size() << " bytes";
  }
  // A file the server does not have.
  CFtpClient client(timing);
  EXPECT_EQ(fetch(client, "127.0.0.1", ".", "anonymous", "guest@", "missing.bin"), updater::FTP_RETR_REFUSED);
}

}  // namespace
