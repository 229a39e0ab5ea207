// veldra.cfg: the defaults byte for byte, which files are replaced, the option block and the
// two sends, and no writes while replaying.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/client/client_start_fixture.h"
#include "tests/support/fake_net_client.h"
#include "tests/support/locked_folder.h"

namespace client_test {
namespace {

// The default file as the client writes it, spelled out independently of the code.
std::string goldenDefaults() {
  std::string bytes("PARVENT SYSTEM\0", 15);
  bytes.append(4, '\0');
  bytes += '\x1a';
  const int32_t words[] = {0, 1, 1, 100, 0, 0, 1, 1, 1, 1, 1, 0, 1, 1, -1, 1, 1, 1, 1, 1, 1};
  for (int32_t w : words) {
    const uint32_t u = static_cast<uint32_t>(w);
    for (int b = 0; b < 4; ++b) bytes += static_cast<char>((u >> (8 * b)) & 0xFF);
  }
  bytes.resize(180, '\0');
  return bytes;
}

// A record written by the project's own writer, with the volume word marking it as ours.
std::string ownRecord(int32_t volume) {
  SETTINGS_RECORD r = settings_defaults();
  r.volume = volume;
  const auto bytes = settings_encode(r);
  return std::string(bytes.begin(), bytes.end());
}

using SettingsFile = ClientStartTest;

TEST_F(SettingsFile, LoadReplacesOnlyFilesOfTheWrongLength) {
  struct Case {
    const char* name;
    bool present;
    std::string content;
    int32_t volume;      // in memory afterwards
    bool defaultsWritten;
  };
  std::string wrongMagic = ownRecord(55);
  std::memcpy(wrongMagic.data(), "SOMETHING ELSE", 14);
  const Case cases[] = {
      {"missing", false, "", 100, true},
      {"179 bytes", true, ownRecord(55).substr(0, 179), 100, true},
      {"181 bytes", true, ownRecord(55) + "x", 100, true},
      {"empty", true, "", 100, true},
      {"180 bytes, wrong magic", true, wrongMagic, 55, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.present) dir.write("veldra.cfg", c.content);
    else std::filesystem::remove(hostPath("veldra.cfg"));
    settings = SETTINGS_RECORD{};
    settings_load();
    EXPECT_EQ(settings.volume, c.volume);
    EXPECT_EQ(dir.read("veldra.cfg"), c.defaultsWritten ? goldenDefaults() : c.content);
  }
}

TEST_F(SettingsFile, DefaultsAreTheGoldenImage) {
  settings_load();
  EXPECT_EQ(dir.read("veldra.cfg"), goldenDefaults());
  EXPECT_STREQ(settings.magic, "PARVENT SYSTEM");
  EXPECT_EQ(settings.last_server_id, -1);
  EXPECT_EQ(settings.full_screen, 0);
  EXPECT_EQ(settings.battle_display, 0);
}

TEST_F(SettingsFile, FolderInTheWayGivesDefaultsInMemoryAndOneLogLine) {
  // At start-up the settings load before SYSTEM opens the log; later saves log directly.
  for (const bool logOpen : {false, true}) {
    SCOPED_TRACE(logOpen ? "log open" : "before the log");
    system_module_reset();
    std::filesystem::remove(hostPath("error.txt"));
    settings = SETTINGS_RECORD{};
    if (logOpen) startLog();
    dir.mkdir("veldra.cfg");
    settings_load();
    if (!logOpen) startLog();
    EXPECT_EQ(settings.volume, 100);
    EXPECT_EQ(settings.chat_channels[5], 1);
    EXPECT_TRUE(std::filesystem::is_directory(hostPath("veldra.cfg")));
    const std::string log = logText();
    const std::string line = "Unable to create veldra.cfg file\n";
    if (logOpen) EXPECT_NE(log.find("\n" + line), std::string::npos) << log;
    else EXPECT_EQ(log.rfind(line + "SYSTEM module initialize starting...\n", 0), 0u) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;
  }
}

// A game folder the player may not write: defaults in memory, and the line reaches the log
// wherever it goes (here stderr, since error.txt cannot be made either).
class SettingsFileLockedFolder : public SettingsFile, public ::testing::WithParamInterface<veldra_test::Lock> {};

TEST_P(SettingsFileLockedFolder, DefaultsInMemoryAndTheLineOnStderr) {
  if (auto why = veldra_test::LockedFolder::skipReason(GetParam()); !why.empty()) GTEST_SKIP() << why;
  veldra_test::LockedFolder lock(dir.path(), GetParam());
  ::testing::internal::CaptureStderr();
  settings_load();
  startLog();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(settings.volume, 100);
  EXPECT_EQ(settings.last_server_id, -1);
  EXPECT_FALSE(dir.exists("veldra.cfg"));
  const std::string first = "Unable to create error.txt (" + hostPath("error.txt").string() +
                            "): Permission denied\nUnable to create veldra.cfg file\n";
  EXPECT_EQ(err.substr(0, first.size()), first) << err;
}

INSTANTIATE_TEST_SUITE_P(Lock, SettingsFileLockedFolder, veldra_test::allLocks(), veldra_test::lockName);

TEST_F(SettingsFile, AccountNameWithoutNulIsTerminatedInMemoryAndKeptOnDisk) {
  std::string bytes = ownRecord(100);
  std::memset(bytes.data() + 112, 'A', 64);  // fills the field, no NUL
  bytes[108] = 1;                            // remember-account
  dir.write("veldra.cfg", bytes);
  settings_load();
  EXPECT_EQ(std::strlen(settings.account_name), 64u);
  EXPECT_EQ(settings.remember_account, 1);
  settings_save();
  EXPECT_EQ(dir.read("veldra.cfg"), bytes);
}

TEST_F(SettingsFile, FieldsSitAtTheirOffsets) {
  SETTINGS_RECORD r{};
  r.zero_word = 0x11223344;  // the unaligned word at 15
  r.byte_19 = 0x55;
  r.full_screen = 1;
  r.last_server_id = 1203;
  r.chat_channels[5] = 0x66;
  r.battle_display = 0x77;
  std::memcpy(r.account_name, "player", 6);
  const auto b = settings_encode(r);
  EXPECT_EQ(b[15], 0x44);
  EXPECT_EQ(b[18], 0x11);
  EXPECT_EQ(b[19], 0x55);
  EXPECT_EQ(b[20], 1);
  EXPECT_EQ(b[76] | b[77] << 8, 1203);
  EXPECT_EQ(b[100], 0x66);
  EXPECT_EQ(b[112], 'p');
  EXPECT_EQ(b[176], 0x77);
  const SETTINGS_RECORD back = settings_decode(b);
  EXPECT_EQ(back.zero_word, 0x11223344u);
  EXPECT_EQ(back.last_server_id, 1203);
  EXPECT_STREQ(back.account_name, "player");
  EXPECT_THROW(settings_decode(std::span<const uint8_t>(b.data(), 179)), plat::MalformedInput);
}

TEST_F(SettingsFile, OptionBlockOfTheDefaults) {
  const auto block = settings_option_block(settings_defaults());
  const std::array<uint8_t, 12> expected = {0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1};
  EXPECT_EQ(block, expected);
}

TEST_F(SettingsFile, ApplySendsTheBlockOnWorldThenChatAndReturnsTheChatResult) {
  veldra_test::FakeNetModule::install();
  ASSERT_EQ(net_load_client(), 0);
  settings = settings_defaults();
  settings.player_option_1 = 0x1234;  // only the low byte goes
  // No link connected yet, as at start-up: nothing is sent.
  EXPECT_EQ(settings_apply(), -1);
  EXPECT_TRUE(veldra_test::FakeNetModule::world()->sends.empty());

  net_link.world_connected = 1;
  net_link.chat_connected = 1;
  veldra_test::FakeNetModule::chat()->sendResult = 7;
  EXPECT_EQ(settings_apply(), 7);
  const std::vector<uint8_t> expected = {0x34, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1};
  for (auto* link : {veldra_test::FakeNetModule::world(), veldra_test::FakeNetModule::chat()}) {
    ASSERT_EQ(link->sends.size(), 1u);
    EXPECT_EQ(link->sends[0].id, 0x3001Cu);
    EXPECT_EQ(link->sends[0].arg, 0);
    EXPECT_EQ(link->sends[0].payload, expected);
  }
  net_unload_client();
  veldra_test::FakeNetModule::clear();
}

TEST_F(SettingsFile, NothingReachesTheDiskWhileReplaying) {
  replaying = 1;
  settings_load();  // missing file: defaults in memory only
  EXPECT_EQ(settings.volume, 100);
  EXPECT_FALSE(dir.exists("veldra.cfg"));
  dir.write("veldra.cfg", ownRecord(42));
  settings_load();
  settings.volume = 7;
  settings_save();
  EXPECT_EQ(dir.read("veldra.cfg"), ownRecord(42));
}

}  // namespace
}  // namespace client_test
