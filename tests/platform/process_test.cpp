// POSIX process services: start-up values, the single-instance key, exit hooks, system information.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "platform/common/common.h"
#include "plat/test.h"

namespace {

TEST(PosixProcess, StartupInfoReadsAndRemovesTheVariables) {
  setenv("VELDRA_STARTUP_X", "0", 1);
  setenv("VELDRA_STARTUP_Y", "77", 1);
  auto p = plat::common::makePosixProcess(nullptr);
  plat::StartupInfo s = p->startupInfo();
  EXPECT_EQ(s.x, 0);
  EXPECT_EQ(s.y, 77);
  EXPECT_EQ(std::getenv("VELDRA_STARTUP_X"), nullptr);
  EXPECT_EQ(std::getenv("VELDRA_STARTUP_Y"), nullptr);
  EXPECT_EQ(p->startupInfo().y, 77);  // read once

  auto q = plat::common::makePosixProcess(nullptr);
  EXPECT_EQ(q->startupInfo().x, 0);  // absent means 0
  EXPECT_EQ(q->startupInfo().y, 0);
}

TEST(PosixProcess, SecondCopyRaisesTheFirst) {
  std::atomic<int> raised{0};
  plat::common::setRaiseHandler([&] { ++raised; });
  std::string name = "Veldra test " + std::to_string(std::random_device{}());
  auto first = plat::common::makePosixProcess(nullptr);
  auto second = plat::common::makePosixProcess(nullptr);
  EXPECT_FALSE(first->anotherCopyRaised(name));
  EXPECT_TRUE(second->anotherCopyRaised(name));
  for (int i = 0; i < 500 && raised == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(raised, 1);
  EXPECT_FALSE(second->anotherCopyRaised(name + " other"));
  plat::common::setRaiseHandler(nullptr);
}

TEST(PosixProcess, ExitRunsHooksNewestFirstThenLeavesFullscreen) {
  std::vector<std::string> order;
  auto p = plat::common::makePosixProcess([&] { order.push_back("fullscreen"); });
  p->onExit([&] { order.push_back("old"); });
  p->onExit([&] { order.push_back("new"); });
  plat::test::setExitHandler(true);
  try {
    p->exit(3);
    FAIL();
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, 3);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"new", "old", "fullscreen"}));
}

TEST(PosixProcess, ArgumentsAndCommandLine) {
  auto p = plat::common::makePosixProcess(nullptr);
  auto args = p->args();
  ASSERT_FALSE(args.empty());  // from /proc/self/cmdline
  EXPECT_EQ(p->commandLine().rfind("\"" + args[0] + "\"", 0), 0u);
  const char* argv[] = {"main", "a b"};
  plat::common::setProgramArgs(2, const_cast<char**>(argv));
  EXPECT_EQ(p->commandLine(), "\"main\" \"a b\"");
  plat::common::setProgramArgs(0, nullptr);
}

TEST(PosixProcess, MissingCompanionIsSkipped) {
  auto p = plat::common::makePosixProcess(nullptr);
  plat::SpawnSpec s;
  s.program = "castview\\KRB_STARTUP1.exe";  // a game program that is not there
  EXPECT_FALSE(p->spawn(s));
  s.program = "veldra-no-such-program";
  s.searchPath = true;
  EXPECT_FALSE(p->spawn(s));
  s.program = "true";
  EXPECT_TRUE(p->spawn(s));
}

TEST(PosixProcess, CountRunningFindsThisProgram) {
  auto p = plat::common::makePosixProcess(nullptr);
  std::string self = plat::makePosixFileSystem(".")->exePath();
  EXPECT_GE(p->countRunning(self), 1);
  EXPECT_EQ(p->countRunning(self + "-not-running"), 0);
}

TEST(PosixProcess, SystemInformation) {
  auto info = plat::common::makePosixSystemInfo()->query();
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_EQ(info.cpuVendor.size(), 12u);
#endif
  EXPECT_GT(info.totalMemory, 0u);
  EXPECT_LE(info.availableMemory, info.totalMemory);
  if (!info.macAddress.empty()) {
    ASSERT_EQ(info.macAddress.size(), 17u);
    for (size_t i = 2; i < 17; i += 3) EXPECT_EQ(info.macAddress[i], '-');
    EXPECT_NE(info.macAddress, "00-00-00-00-00-00");
  }
}

}  // namespace
