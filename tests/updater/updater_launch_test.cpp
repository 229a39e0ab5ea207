// The client launch: the line block through the hand-over pipe into a stub client, which sees
// descriptor 3, the two start-up variables and nothing else of ours.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/pipe_feeder.h"
#include "updater/client_launch.h"

namespace {

namespace fs = std::filesystem;

class UpdaterLaunch : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    fs::copy_file(VELDRA_STUB_MAIN_BIN, dir.hostPath("main"));
  }
  void TearDown() override {
    veldra_test::stopProcess(pid_);
    HeadlessTest::TearDown();
  }
  // Starts the stub with the block and waits until it has written its report.
  bool launch(const std::vector<uint8_t>& block) {
    fs::remove(dir.hostPath("launch.txt"));
    const updater::ClientLaunch l = updater::LaunchClient(dir.hostPath("main"), block);
    if (!l.pid) return false;
    pid_ = *l.pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (veldra_test::processAlive(pid_)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    pid_ = -1;
    return dir.exists("launch.txt");
  }
  std::string reportLine(const std::string& name) {
    std::istringstream in(dir.read("launch.txt"));
    std::string line;
    while (std::getline(in, line))
      if (line.rfind(name, 0) == 0) return line.substr(name.size());
    return "<missing>";
  }
  int pid_ = -1;
};

TEST_F(UpdaterLaunch, BlocksReachTheClientWhole) {
  for (int lines : {2, 0, 100}) {
    SCOPED_TRACE(lines);
    const std::vector<uint8_t> block = veldra_test::PipeFeeder::lines(lines);
    ASSERT_TRUE(launch(block));
    const std::string got = dir.read("lines.bin");
    EXPECT_EQ(got.size(), static_cast<size_t>(lines) * 84);
    EXPECT_EQ(got, std::string(block.begin(), block.end()));
    EXPECT_EQ(reportLine("fd "), "3");
    EXPECT_EQ(reportLine("x "), "3");
    EXPECT_EQ(reportLine("y "), "0");
    EXPECT_EQ(reportLine("args"), "");
  }
}

TEST_F(UpdaterLaunch, OnlyTheReadEndIsInherited) {
  // Descriptors that the test's own caller left inheritable reach any child; every other
  // descriptor of this process, the pipe's write end among them, must stay behind.
  std::vector<int> inherited;
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    const int fd = std::stoi(e.path().filename().string());
    if (fd > 3 && veldra_test::isOpenFd(fd) && !veldra_test::isCloseOnExec(fd)) inherited.push_back(fd);
  }
  ASSERT_TRUE(launch(veldra_test::PipeFeeder::lines(1)));
  std::istringstream open(reportLine("open"));
  int fd = 0;
  std::vector<int> fds;
  while (open >> fd) fds.push_back(fd);
  EXPECT_FALSE(fds.empty());
  for (int f : fds) {
    const bool fromCaller = std::find(inherited.begin(), inherited.end(), f) != inherited.end();
    EXPECT_TRUE(f <= 3 || fromCaller) << "descriptor " << f << " reached the client";
  }
  EXPECT_NE(std::find(fds.begin(), fds.end(), 3), fds.end());
}

TEST_F(UpdaterLaunch, MissingClientGivesAReason) {
  fs::remove(dir.hostPath("main"));
  const updater::ClientLaunch l = updater::LaunchClient(dir.hostPath("main"), veldra_test::PipeFeeder::lines(2));
  EXPECT_FALSE(l.pid);
  EXPECT_NE(l.error.find("main"), std::string::npos) << l.error;
}

}  // namespace
