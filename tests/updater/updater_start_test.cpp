// The updater's start: one copy only, veldra.cfg read before the launcher and written after it,
// and the client started only on the start road.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "client/settings/settings.h"
#include "plat/winmsg.h"
#include "tests/support/child_process.h"
#include "tests/support/headless_fixture.h"
#include "updater/process_list.h"
#include "updater/server_lines.h"
#include "updater/update_app.h"
#include "updater/update_settings.h"

namespace {

namespace fs = std::filesystem;
using updater::CUpdateApp;
using updater::CUpdateDlg;

std::string unhex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

// The updater's own default image, with -1 at offset 76.
const std::string kDefaultImage = unhex(
    "50415256454e542053595354454d00000000001a00000000010000000100000064000000"
    "000000000000000001000000010000000100000001000000010000000000000001000000"
    "01000000ffffffff01000000010000000100000001000000010000000100000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000001000000");

std::string withId(std::string image, int32_t id) {
  for (int i = 0; i < 4; ++i) image[76 + i] = static_cast<char>(static_cast<uint32_t>(id) >> (8 * i));
  return image;
}

class UpdaterStart : public veldra_test::HeadlessTest {
 protected:
  // One copy of this program, whatever else runs beside the test (ctest may run another).
  void SetUp() override {
    HeadlessTest::SetUp();
    hp().setProcessList(std::vector<plat::ProcessEntry>{{1, hp().files().exePath()}});
  }
  // A run whose launcher records the chosen id it was given, picks entry 100100 and ends with
  // `endCode`; the client start is recorded, not made.
  int run(int endCode) {
    launcherRan = false;
    launched = false;
    CUpdateApp app;
    app.runLauncher = [&](CUpdateDlg&) {
      launcherRan = true;
      idSeen = updater::chosenServer().id;
      updater::chosenServer().id = 100100;
      return endCode;
    };
    app.launchClient = [&](std::span<const uint8_t> block) {
      launched = true;
      blockSent.assign(block.begin(), block.end());
      return updater::ClientLaunch{4242, {}};
    };
    return app.InitInstance();
  }
  std::string settingsFile() { return dir.exists("veldra.cfg") ? dir.read("veldra.cfg") : "<none>"; }

  bool launcherRan = false;
  bool launched = false;
  int32_t idSeen = 0;
  std::vector<uint8_t> blockSent;
};

TEST_F(UpdaterStart, SecondCopy) {
  const std::string self = hp().files().exePath();
  hp().setProcessList(std::vector<plat::ProcessEntry>{{10, self}, {11, "/bin/sh"}, {12, self}});
  EXPECT_EQ(updater::CountProcessesNamed(self), 2);
  EXPECT_EQ(run(1), 0);
  EXPECT_FALSE(launcherRan);
  EXPECT_FALSE(launched);
  EXPECT_FALSE(dir.exists("veldra.cfg"));
  ASSERT_EQ(hp().boxes().size(), 1u);
  EXPECT_EQ(hp().boxes()[0].text, "Client is already running, unable to update!");
  EXPECT_EQ(hp().boxes()[0].caption, "Veldra Saga update client");
  EXPECT_EQ(hp().boxes()[0].style, plat::MB_ICONHAND);
  EXPECT_EQ(hp().boxes()[0].owner, plat::kNoWindow);

  // Paths compare without regard to ASCII case.
  std::string upper = self;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  hp().setProcessList(std::vector<plat::ProcessEntry>{{10, upper}});
  EXPECT_EQ(updater::CountProcessesNamed(self), 1);
  // A list that cannot be built counts nothing.
  hp().setProcessList(std::nullopt);
  std::vector<updater::PROCESS_ENTRY> list{{1, "x"}};
  EXPECT_EQ(updater::ForEachProcess(list), 0);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(updater::CountProcessesNamed(self), 0);

  // The real list holds this process under its own path.
  hp().useRealProcessList();
  EXPECT_EQ(updater::ForEachProcess(list), 1);
  const auto ownPid = static_cast<uint32_t>(std::stoul(fs::read_symlink("/proc/self").string()));
  bool own = false;
  for (const auto& p : list) own |= p.pid == ownPid && p.exePath == fs::canonical(self).string();
  EXPECT_TRUE(own);
  EXPECT_GE(updater::CountProcessesNamed(self), 1);
}

TEST_F(UpdaterStart, ClientFoundThroughASymlink) {
  hp().useRealProcessList();
  fs::create_symlink(VELDRA_STUB_MAIN_BIN, dir.hostPath("main"));
  EXPECT_FALSE(updater::IsProcessRunning(dir.hostPath("main.exe")));
  const int pid = veldra_test::startProcess(dir.hostPath("main"), {"--sleep", "20000"});
  ASSERT_GT(pid, 0);
  bool found = false;
  for (int i = 0; i < 400 && !found; ++i) {
    found = updater::IsProcessRunning(dir.hostPath("main.exe"));
    if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(found);
  veldra_test::stopProcess(pid);
  EXPECT_FALSE(veldra_test::processAlive(pid));
  EXPECT_FALSE(updater::IsProcessRunning(dir.hostPath("main.exe")));
}

class UpdaterSettings : public UpdaterStart {};

TEST_F(UpdaterSettings, Table) {
  std::mt19937 rng(26);
  std::string random(180, '\0');
  for (char& c : random) c = static_cast<char>(rng());
  auto encoded = [](int32_t id) {
    SETTINGS_RECORD r = settings_defaults();
    r.last_server_id = id;
    const auto bytes = settings_encode(r);
    return std::string(bytes.begin(), bytes.end());
  };
  const std::string ten = "0123456789";
  std::string ofTwoHundred = encoded(200345) + std::string(20, '\x7F');
  struct Case {
    const char* name;
    std::string before;  // "<none>": no file
    int32_t chosen;
    std::string after;
  };
  const Case cases[] = {
      {"none", "<none>", 0, withId(kDefaultImage, 100100)},
      {"10 bytes", ten, 0, withId(ten + std::string(170, '\0'), 100100)},
      {"123456", encoded(123456), 123400, encoded(100100)},
      {"-1", encoded(-1), 0, encoded(100100)},
      {"-150", encoded(-150), -100, encoded(100100)},
      {"200300 (no float rounding)", encoded(200300), 200300, encoded(100100)},
      {"200 bytes", ofTwoHundred, 200300, encoded(100100)},
      {"180 random bytes", random, updater::GroupIdOf(static_cast<int32_t>(
                                       static_cast<uint8_t>(random[76]) | static_cast<uint8_t>(random[77]) << 8 |
                                       static_cast<uint8_t>(random[78]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(random[79])) << 24)),
       withId(random, 100100)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir.hostPath("veldra.cfg"));
    if (c.before != "<none>") dir.write("veldra.cfg", c.before);
    EXPECT_EQ(run(1), 1);
    EXPECT_EQ(idSeen, c.chosen);
    EXPECT_EQ(settingsFile(), c.after);
    EXPECT_TRUE(launched);
  }

  // A folder in the file's place: nothing to write, so no client and no box.
  fs::remove(dir.hostPath("veldra.cfg"));
  dir.mkdir("veldra.cfg");
  EXPECT_EQ(run(1), 1);
  EXPECT_EQ(idSeen, 0);
  EXPECT_FALSE(launched);
  EXPECT_TRUE(hp().boxes().empty());
  fs::remove(dir.hostPath("veldra.cfg"));

  // End codes 2 and 10 leave the file alone, and no file is made either.
  for (int end : {2, 10}) {
    SCOPED_TRACE(end);
    fs::remove(dir.hostPath("veldra.cfg"));
    EXPECT_EQ(run(end), end);
    EXPECT_FALSE(dir.exists("veldra.cfg"));
    dir.write("veldra.cfg", random);
    const auto stamp = fs::last_write_time(dir.hostPath("veldra.cfg"));
    EXPECT_EQ(run(end), end);
    EXPECT_EQ(settingsFile(), random);
    EXPECT_EQ(fs::last_write_time(dir.hostPath("veldra.cfg")), stamp);
    EXPECT_FALSE(launched);
  }
  EXPECT_EQ(updater::ExitStatusOf(1), 0);
  EXPECT_EQ(updater::ExitStatusOf(2), 0);
  EXPECT_EQ(updater::ExitStatusOf(10), 255);
}

TEST_F(UpdaterSettings, ClientGetsTheLineTableAndAFailedStartIsSaid) {
  updater::ServerLineTable& table = updater::serverLines();
  table.count = 2;
  for (int r = 0; r < 2; ++r)
    for (size_t i = 0; i < plat::SERVER_LINE_RECORD_SIZE; ++i) table.records[r][i] = static_cast<uint8_t>(r * 100 + i);
  EXPECT_EQ(run(1), 1);
  ASSERT_EQ(blockSent.size(), 168u);
  EXPECT_EQ(blockSent[84], 100);
  EXPECT_EQ(blockSent[167], 183);

  // The reason of a start that failed reaches stderr whatever the debug switch says.
  CUpdateApp app;
  app.runLauncher = [](CUpdateDlg&) { return 1; };
  app.launchClient = [](std::span<const uint8_t>) { return updater::ClientLaunch{std::nullopt, "no such file"}; };
  testing::internal::CaptureStderr();
  EXPECT_EQ(app.InitInstance(), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("update: cannot start main: no such file"), std::string::npos);
}

}  // namespace
