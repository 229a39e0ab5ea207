// The end of a patch run: the updater starts the self-replacement program with its own process
// id, and `replaceself` waits for that process to end before it starts `update` again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/headless_fixture.h"
#include "updater/patch_apply.h"

namespace {

namespace fs = std::filesystem;

// What a stub wrote into runs.txt, or "" while it has not run.
std::string runs(const veldra_test::TempGameDir& dir) { return dir.exists("runs.txt") ? dir.read("runs.txt") : ""; }

bool waitFor(const std::function<bool()>& done, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Spawns go to the platform's own process services, except that the self-replacement program is
// the recording stub copied into the game folder.
class StubSpawn final : public plat::IProcess {
 public:
  StubSpawn(plat::IProcess& real, std::string stub) : real_(real), stub_(std::move(stub)) {}
  std::optional<int> spawn(const plat::SpawnSpec& spec) override {
    asked.push_back(spec);
    plat::SpawnSpec s = spec;
    if (s.program == "replaceself.dll") s.program = stub_;
    return real_.spawn(s);
  }
  int countRunning(std::string_view exe) override { return real_.countRunning(exe); }
  bool waitExit(int pid, uint32_t ms) override { return real_.waitExit(pid, ms); }
  uint32_t currentId() override { return real_.currentId(); }
  plat::StartupInfo startupInfo() override { return real_.startupInfo(); }
  bool anotherCopyRaised(std::string_view name) override { return real_.anotherCopyRaised(name); }
  [[noreturn]] void exit(int code) override {
    real_.exit(code);
    std::abort();
  }
  void onExit(std::function<void()> hook) override { real_.onExit(std::move(hook)); }
  std::string commandLine() override { return real_.commandLine(); }
  std::vector<std::string> args() override { return real_.args(); }

  std::vector<plat::SpawnSpec> asked;

 private:
  plat::IProcess& real_;
  std::string stub_;
};

class SelfReplace : public veldra_test::HeadlessTest {
 protected:
  class Wrapper final : public veldra_test::ForwardingPlatform {
   public:
    Wrapper(std::unique_ptr<plat::HeadlessPlatform> inner, std::string stub)
        : ForwardingPlatform(std::move(inner)), spawns(ForwardingPlatform::process(), std::move(stub)) {}
    plat::IProcess& process() override { return spawns; }
    StubSpawn spawns;
  };
  std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> headless) override {
    auto w = std::make_unique<Wrapper>(std::move(headless), dir.hostPath("stub_replaceself"));
    wrapper_ = w.get();
    return w;
  }
  void SetUp() override {
    HeadlessTest::SetUp();
    fs::copy_file(VELDRA_STUB_REPLACESELF_BIN, dir.hostPath("stub_replaceself"));
  }
  StubSpawn& spawns() { return wrapper_->spawns; }

 private:
  Wrapper* wrapper_ = nullptr;
};

TEST_F(SelfReplace, StartsTheProgramWithThePid) {
  EXPECT_EQ(updater::StartSelfReplace("replaceself.dll", 4242), 1);
  ASSERT_TRUE(waitFor([&] { return !runs(dir).empty(); }, 10000));
  EXPECT_NE(runs(dir).find("stub_replaceself pid "), std::string::npos);
  EXPECT_NE(runs(dir).find(" args 4242\n"), std::string::npos) << runs(dir);
  ASSERT_EQ(spawns().asked.size(), 1u);
  EXPECT_EQ(spawns().asked[0].program, "replaceself.dll");
}

TEST_F(SelfReplace, PidZeroStartsWithoutArgument) {
  EXPECT_EQ(updater::StartSelfReplace("replaceself.dll", 0), 1);
  ASSERT_TRUE(waitFor([&] { return !runs(dir).empty(); }, 10000));
  EXPECT_NE(runs(dir).find(" args\n"), std::string::npos) << runs(dir);
}

TEST_F(SelfReplace, AProgramThatCannotStartFails) {
  EXPECT_EQ(updater::StartSelfReplace("nosuch.dll", 4242), 0);
  // Without a pid the result is 1 whatever happened, as the shell's open gives it.
  EXPECT_EQ(updater::StartSelfReplace("nosuch.dll", 0), 1);
}

// The real program in a folder of its own beside a stub `update`.
class ReplaceSelfProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(VELDRA_REPLACESELF_BIN, dir.hostPath("replaceself"));
    fs::copy_file(VELDRA_STUB_UPDATE_BIN, dir.hostPath("update"));
  }
  // Whatever was not waited for to its end is stopped by its id.
  void TearDown() override {
    for (int pid : pids_) {
      veldra_test::stopProcess(pid);
      EXPECT_FALSE(veldra_test::processAlive(pid));
    }
  }
  std::optional<int> finish(int pid) {
    const std::optional<int> status = veldra_test::waitProcess(pid, 10000);
    if (status) std::erase(pids_, pid);
    return status;
  }
  int start(const std::string& program, const std::vector<std::string>& args) {
    const int pid = veldra_test::startProcess(program, args, {{"VELDRA_PLATFORM", "headless"}, {"VELDRA_DEBUG_OUT", "1"}},
                                              dir.hostPath("stderr-" + std::to_string(pids_.size()) + ".txt"));
    pids_.push_back(pid);
    return pid;
  }
  veldra_test::TempGameDir dir;

 private:
  std::vector<int> pids_;
};

TEST_F(ReplaceSelfProgram, WaitsForTheUpdaterToEnd) {
  const int updater = start(VELDRA_STUB_MAIN_BIN, {"--sleep", "1500"});
  ASSERT_GT(updater, 0);
  const int self = start(dir.hostPath("replaceself"), {std::to_string(updater)});
  ASSERT_GT(self, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_TRUE(veldra_test::processAlive(updater));
  EXPECT_EQ(runs(dir), "") << "update started while the updater still ran";
  EXPECT_EQ(finish(updater), 0);
  EXPECT_EQ(finish(self), 0);
  ASSERT_TRUE(waitFor([&] { return !runs(dir).empty(); }, 10000));
  EXPECT_EQ(runs(dir).substr(0, 16), "stub_update pid ");
  EXPECT_NE(runs(dir).find(" args\n"), std::string::npos);
}

TEST_F(ReplaceSelfProgram, AGoneOrMissingPidStartsAtOnce) {
  const int gone = start(VELDRA_STUB_MAIN_BIN, {"--sleep", "0"});
  ASSERT_EQ(finish(gone), 0);
  for (const std::vector<std::string>& args : {std::vector<std::string>{std::to_string(gone)}, std::vector<std::string>{}}) {
    fs::remove(dir.hostPath("runs.txt"));
    const int self = start(dir.hostPath("replaceself"), args);
    EXPECT_EQ(finish(self), 0);
    EXPECT_TRUE(waitFor([&] { return !runs(dir).empty(); }, 10000)) << (args.empty() ? "no argument" : "gone pid");
  }
  // Not a process id: nothing is started.
  fs::remove(dir.hostPath("runs.txt"));
  const int bad = start(dir.hostPath("replaceself"), {"12x"});
  EXPECT_EQ(finish(bad), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(runs(dir), "");
}

}  // namespace
