// The client launch: the line block through the hand-over pipe into a stub client, which sees
// descriptor 3, the two start-up variables and nothing else of ours; first in this process, then
// through the update program as the player starts it (a copy beside the stub client in a game
// folder, the scripted gateway in-process, the headless backend on the real clock). Every process started
// here is waited for and, when it overstays, stopped by its own process id.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/nginx_fixture.h"
#include "tests/support/pipe_feeder.h"
#include "tools/mkzip/mkzip.h"
#include "tests/updater/gateway_fixture.h"
#include "updater/client_launch.h"
#include "tools/testserver/server.h"

namespace {

namespace fs = std::filesystem;
using gateway_test::Bytes;

class UpdaterLaunch : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fs::copy_file(VELDRA_UPDATE_BIN, dir.hostPath("update"));
    fs::copy_file(VELDRA_STUB_MAIN_BIN, dir.hostPath("main"));
    // The publisher's web server: the server list and the version file come from it.
    ASSERT_TRUE(web.start()) << web.error();
    dir.write("registry.ini", "[HKLM\\Software\\Veldra\\Launcher]\r\nPublisher=http://127.0.0.1:" +
                                  std::to_string(web.port()) + "\r\n");
    web.writeFile("version.txt", "[version+]\r\n");
  }
  void TearDown() override {
    veldra_test::stopProcess(updatePid_);
    veldra_test::stopProcess(clientPid_);
    const int nginx = web.pid();
    EXPECT_TRUE(web.stop());
    EXPECT_FALSE(veldra_test::processAlive(nginx));
    HeadlessTest::TearDown();
  }

  // Runs update against a gateway playing `script` (port 0: a port nothing listens on); the
  // exit status, or nullopt when it had to be stopped.
  std::optional<int> runUpdate(const std::string& script, bool withGateway = true) {
    testserver::Options o;
    o.gatewayPort = 0;
    o.maxSeconds = 60;
    o.idleSeconds = 60;
    testserver::Server server(o, testserver::Script::parse(script));
    std::string error;
    EXPECT_TRUE(server.listen(error)) << error;
    uint16_t port = server.gatewayPort();
    int serverResult = -1;
    std::thread serving;
    if (withGateway) {
      serving = std::thread([&] { serverResult = server.run(); });
    } else {
      // A port that refuses: one the system gave and then took back.
      plat::net::Socket probe = plat::net::listen("127.0.0.1", 0, 1);
      port = plat::net::local(probe)->port;
    }
    web.writeFile("autoupd/server.txt", "id1=100100\r\nline1=1\r\nloginIP1=127.0.0.1\r\nver1=1.0.1\r\nname1=Demo\r\n"
                                        "loginPort1=" + std::to_string(port) + "\r\nupdateAddr1=" +
                                        web.url("/version.txt") + "\r\n");
    updatePid_ = veldra_test::startProcess(dir.hostPath("update"), {},
                                           {{"VELDRA_PLATFORM", "headless"},
                                            {"VELDRA_HEADLESS_CLOCK", "real"},
                                            {"VELDRA_GAME_DIR", dir.path()},
                                            {"VELDRA_DEBUG_OUT", "1"}},
                                           dir.hostPath("stderr.txt"));
    EXPECT_GT(updatePid_, 0);
    lastUpdatePid = updatePid_;
    const std::optional<int> status = veldra_test::waitProcess(updatePid_, 90000);
    if (!status) veldra_test::stopProcess(updatePid_);
    updatePid_ = -1;
    server.stop();
    if (serving.joinable()) serving.join();
    stderrText = dir.read("stderr.txt");
    // The client update started, by the id its debug line gives.
    std::smatch m;
    if (std::regex_search(stderrText, m, std::regex("update: client started, (\\d+) lines, pid (\\d+)"))) {
      clientLines = std::stoi(m[1]);
      clientPid_ = std::stoi(m[2]);
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (veldra_test::processAlive(clientPid_) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      EXPECT_FALSE(veldra_test::processAlive(clientPid_)) << "the client overstayed";
    }
    return status;
  }
  // LaunchClient in this process: the stub gets the block; waits until it has written its report.
  bool launch(const std::vector<uint8_t>& block) {
    fs::remove(dir.hostPath("launch.txt"));
    const updater::ClientLaunch l = updater::LaunchClient(dir.hostPath("main"), block);
    if (!l.pid) return false;
    clientPid_ = *l.pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (veldra_test::processAlive(clientPid_)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    clientPid_ = -1;
    return dir.exists("launch.txt");
  }
  // The stub saw 0 to 3, and beyond them only what the test's own caller left inheritable (a
  // descriptor without close-on-exec reaches any child).
  void expectOnlyPipeInherited() {
    std::vector<int> fromCaller;
    for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
      const int fd = std::stoi(e.path().filename().string());
      if (fd > 3 && veldra_test::isOpenFd(fd) && !veldra_test::isCloseOnExec(fd)) fromCaller.push_back(fd);
    }
    std::istringstream open(report("open"));
    std::vector<int> seen;
    for (int fd = 0; open >> fd;) seen.push_back(fd);
    for (int want = 0; want <= 3; ++want) EXPECT_NE(std::find(seen.begin(), seen.end(), want), seen.end()) << want;
    for (int fd : seen) {
      const bool caller = std::find(fromCaller.begin(), fromCaller.end(), fd) != fromCaller.end();
      EXPECT_TRUE(fd <= 3 || caller) << "descriptor " << fd << " reached the client";
    }
  }
  std::string report(const std::string& name) {
    std::istringstream in(dir.exists("launch.txt") ? dir.read("launch.txt") : "");
    std::string line;
    while (std::getline(in, line))
      if (line.rfind(name, 0) == 0) return line.substr(name.size());
    return "<missing>";
  }
  static std::string replyWith(int lines) {
    std::string s = "expect gateway connect within 20000\nsend gateway reply i32:" + std::to_string(lines);
    for (int i = 1; i <= lines; ++i)
      s += " line:\"Line " + std::to_string(i) + "\"," + std::to_string(100100 + i) + ",10.0.0." +
           std::to_string(i) + "," + std::to_string(7000 + i) + "," + std::to_string(10 * i) + ",1";
    const std::string zip = gateway_test::emptyZip();
    return s + " lstr:\"127.0.0.1\" lstr:\"/pub\" lhex:" + gateway_test::hex(Bytes(zip.begin(), zip.end())) +
           "\nclose gateway\n";
  }
  static Bytes expectedLines(int lines) {
    Bytes out;
    for (int i = 1; i <= lines; ++i) {
      const Bytes l = gateway_test::line("Line " + std::to_string(i), 100100 + i,
                                         plat::ipv4NetworkOrder(10, 0, 0, static_cast<uint8_t>(i)), 7000 + i, 10 * i, 1);
      out.insert(out.end(), l.begin(), l.end());
    }
    return out;
  }

  std::string stderrText;
  int clientLines = -1;
  int lastUpdatePid = -1;
  veldra_test::NginxFixture web;

 private:
  int updatePid_ = -1;
  int clientPid_ = -1;
};

TEST_F(UpdaterLaunch, BlocksReachTheClientWhole) {
  for (int lines : {2, 0, 100}) {
    SCOPED_TRACE(lines);
    const std::vector<uint8_t> block = veldra_test::PipeFeeder::lines(lines);
    ASSERT_TRUE(launch(block));
    const std::string got = dir.read("lines.bin");
    EXPECT_EQ(got.size(), static_cast<size_t>(lines) * 84);
    EXPECT_EQ(got, std::string(block.begin(), block.end()));
    EXPECT_EQ(report("fd "), "3");
    EXPECT_EQ(report("x "), "3");
    EXPECT_EQ(report("y "), "0");
    EXPECT_EQ(report("args"), "");
  }
}

TEST_F(UpdaterLaunch, OnlyTheReadEndIsInherited) {
  // The pipe's write end and every other descriptor of this process stay behind.
  ASSERT_TRUE(launch(veldra_test::PipeFeeder::lines(1)));
  expectOnlyPipeInherited();
}

TEST_F(UpdaterLaunch, MissingClientGivesAReason) {
  fs::remove(dir.hostPath("main"));
  const updater::ClientLaunch l = updater::LaunchClient(dir.hostPath("main"), veldra_test::PipeFeeder::lines(2));
  EXPECT_FALSE(l.pid);
  EXPECT_NE(l.error.find("main"), std::string::npos) << l.error;
}

TEST_F(UpdaterLaunch, GatewayLinesReachTheClient) {
  for (int lines : {2, 100}) {
    SCOPED_TRACE(lines);
    fs::remove(dir.hostPath("lines.bin"));
    fs::remove(dir.hostPath("veldra.cfg"));
    EXPECT_EQ(runUpdate(replyWith(lines)), 0) << stderrText;
    EXPECT_EQ(clientLines, lines);
    const Bytes want = expectedLines(lines);
    EXPECT_EQ(dir.read("lines.bin"), std::string(want.begin(), want.end()));
    EXPECT_EQ(report("fd "), "3");
    EXPECT_EQ(report("x "), "3");
    EXPECT_EQ(report("y "), "0");
    expectOnlyPipeInherited();
    const std::string cfg = dir.read("veldra.cfg");
    ASSERT_EQ(cfg.size(), 180u);
    EXPECT_EQ(cfg.substr(76, 4), std::string("\x04\x87\x01\x00", 4));  // 100100
  }
}

TEST_F(UpdaterLaunch, NoClientProgram) {
  fs::remove(dir.hostPath("main"));
  EXPECT_EQ(runUpdate(replyWith(2)), 0);
  EXPECT_NE(stderrText.find("update: cannot start main: "), std::string::npos) << stderrText;
  EXPECT_EQ(clientLines, -1);
}

TEST_F(UpdaterLaunch, GatewayUnreachableIsTheFatalEnd) {
  // Two runs of ten refused connects, 500 ms apart.
  EXPECT_EQ(runUpdate("", false), 255);
  EXPECT_NE(stderrText.find("[message box] Veldra Saga update client: Server is busy, unable to connect!"),
            std::string::npos)
      << stderrText;
  EXPECT_NE(stderrText.find("update: end 10"), std::string::npos);
  EXPECT_FALSE(dir.exists("veldra.cfg"));
  EXPECT_FALSE(dir.exists("launch.txt"));
}

// The launcher's chain before the gateway: the version file decides between the patch road
// (applied, the self-replacement program started with the updater's id, end 2) and the
// gateway; a version file that cannot be fetched is the fatal end.
using ProvisionalLauncher = UpdaterLaunch;

TEST_F(ProvisionalLauncher, APatchIsAppliedAndTheUpdaterRestarted) {
  fs::copy_file(VELDRA_STUB_REPLACESELF_BIN, dir.hostPath("replaceself"));
  dir.write("Update.ini", "[FTPConfig]\r\nServer=kept\r\nCurrentVersion=1.0.0.0\r\n");
  dir.write("old.txt", "old");
  mkzip::Entry added, ini;
  added.name = "new.txt";
  added.data = "patched";
  ini.name = "Patch.ini";
  ini.data = "[DeleteFiles]\r\n1=old.txt\r\n";
  std::string error;
  ASSERT_TRUE(mkzip::writeZip(web.site() + "/p1.zip", {added, ini}, &error)) << error;
  const auto size = fs::file_size(web.site() + "/p1.zip");
  web.writeFile("version.txt", "[version+]\r\n1.0.1.0=" + std::to_string(size) + "/" + web.url("/p1.zip") + "\r\n");

  EXPECT_EQ(runUpdate(replyWith(2)), 0) << stderrText;
  EXPECT_NE(stderrText.find("update: end 2"), std::string::npos) << stderrText;
  EXPECT_EQ(clientLines, -1);
  EXPECT_EQ(dir.read("new.txt"), "patched");
  EXPECT_FALSE(dir.exists("old.txt"));
  EXPECT_FALSE(dir.exists("bin.zip"));
  EXPECT_EQ(dir.read("Update.ini"), "[FTPConfig]\r\nServer=kept\r\nCurrentVersion=1.0.1.0\r\n");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!dir.exists("runs.txt") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(dir.exists("runs.txt"));
  EXPECT_NE(dir.read("runs.txt").find(" args " + std::to_string(lastUpdatePid) + "\n"), std::string::npos)
      << dir.read("runs.txt") << " pid " << lastUpdatePid;
}

TEST_F(ProvisionalLauncher, NoVersionFileIsTheFatalEnd) {
  // Two windows of tries (15 s each) against a 404.
  fs::remove(web.site() + "/version.txt");
  EXPECT_EQ(runUpdate(replyWith(2)), 255);
  EXPECT_NE(stderrText.find("[message box] Veldra Saga update client: Server is busy, unable to connect!"),
            std::string::npos)
      << stderrText;
  EXPECT_NE(stderrText.find("update: end 10"), std::string::npos);
  EXPECT_FALSE(dir.exists("launch.txt"));
}

}  // namespace
