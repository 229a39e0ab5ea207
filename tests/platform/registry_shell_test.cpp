// Registry stand-in (registry.ini over defaults) and the shell's Windows command-line splitting.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/common/common.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "tests/support/temp_game_dir.h"

using plat::Hive;

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(RegistryShell, DefaultsFollowLang) {
  struct Case {
    const char* lang;
    const char* locale;
  } cases[] = {{"zh_CN.UTF-8", "00000804"}, {"zh_CN", "00000804"}, {"zh_TW.UTF-8", "00000409"},
               {"en_US.UTF-8", "00000409"}, {nullptr, "00000409"}};
  for (const auto& c : cases) {
    ScopedEnv lang("LANG", c.lang);
    auto reg = plat::common::makeIniRegistry("");
    EXPECT_EQ(reg->readString(Hive::CurrentUser, "Control Panel\\International", "locale"), c.locale)
        << (c.lang ? c.lang : "(unset)");
  }
  auto reg = plat::common::makeIniRegistry("/nonexistent/registry.ini");
  EXPECT_EQ(reg->readString(Hive::ClassesRoot, ".htm", ""), "htmlfile");
  EXPECT_EQ(reg->readString(Hive::ClassesRoot, ".HTM", ""), "htmlfile");
  EXPECT_EQ(reg->readString(Hive::ClassesRoot, "HTMLFile\\Shell\\Open\\Command", ""), "xdg-open \"%1\"");
  EXPECT_EQ(reg->readString(Hive::CurrentUser, "control panel\\international", "LOCALE").value_or("").size(), 8u);
  EXPECT_FALSE(reg->readString(Hive::CurrentUser, ".htm", ""));  // another hive
  EXPECT_FALSE(reg->readString(Hive::ClassesRoot, ".htm", "other"));
  EXPECT_FALSE(reg->readDword(Hive::LocalMachine, "Software\\JpegCodec", "USECPU"));
  EXPECT_TRUE(reg->keyExists(Hive::ClassesRoot, "htmlfile\\shell"));
  EXPECT_TRUE(reg->keyExists(Hive::ClassesRoot, "htmlfile\\shell\\open\\command"));
  EXPECT_FALSE(reg->keyExists(Hive::ClassesRoot, "htmlfile\\she"));
  EXPECT_FALSE(reg->keyExists(Hive::ClassesRoot, ".html"));
}

TEST(RegistryShell, IniOverDefaults) {
  veldra_test::TempGameDir dir;
  dir.write("registry.ini",
                       "# test registry\r\n"
                       "stray=ignored\r\n"
                       "[HKEY_CURRENT_USER\\Control Panel\\International]\r\n"
                       "  Locale = 00000804  \r\n"
                       "[hkcr\\.htm]\n"
                       "@=operafile\n"
                       "[HKLM\\Software\\Codec]\n"
                       "UseCpu=dword:0000000a\n"
                       "Broken=dword:xyz\n"
                       "Padded=\"  two words  \"\n"
                       "no equals sign\n"
                       "[HKXX\\Nowhere]\n"
                       "lost=1\n");
  auto reg = plat::common::makeIniRegistry(dir.hostPath("registry.ini"));
  EXPECT_EQ(reg->readString(Hive::CurrentUser, "Control Panel\\International", "locale"), "00000804");
  EXPECT_EQ(reg->readString(Hive::ClassesRoot, ".htm", ""), "operafile");
  EXPECT_EQ(reg->readString(Hive::ClassesRoot, "htmlfile\\shell\\open\\command", ""), "xdg-open \"%1\"");
  EXPECT_EQ(reg->readDword(Hive::LocalMachine, "software\\codec", "usecpu"), 10u);
  EXPECT_FALSE(reg->readString(Hive::LocalMachine, "software\\codec", "usecpu"));  // a DWORD
  EXPECT_FALSE(reg->readDword(Hive::LocalMachine, "software\\codec", "Broken"));
  EXPECT_EQ(reg->readString(Hive::LocalMachine, "software\\codec", "padded"), "  two words  ");
  EXPECT_FALSE(reg->keyExists(Hive::LocalMachine, "Nowhere"));
  EXPECT_FALSE(reg->readString(Hive::ClassesRoot, "", "stray"));

  reg->set(Hive::ClassesRoot, "HTMLFILE\\shell\\open\\command", "", "browser %1");
  EXPECT_EQ(reg->readString(Hive::ClassesRoot, "htmlfile\\shell\\open\\command", ""), "browser %1");
}

// A DWORD is hexadecimal digits to the end of the line; anything else is skipped and leaves an
// earlier value of the same name as it was.
TEST(RegistryShell, DwordDataIsHexDigitsAlone) {
  struct Case {
    std::string data;
    std::optional<uint32_t> value;
  } cases[] = {{"dword:0000000a", 10u},      {"dword:A", 10u},         {"dword:FFFFFFFF", 0xFFFFFFFFu},
               {"dword:000000000001", 1u},  {"dword:100000000", {}},  {"dword:", {}},
               {"dword:-1", {}},            {"dword:-0", {}},         {"dword:+5", {}},
               {"dword: 5", {}},            {"dword:0x5", {}},        {"dword:5 6", {}},
               {std::string("dword:5\0junk", 12), {}}, {"dword:xyz", {}}};
  veldra_test::TempGameDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    dir.write("registry.ini", "[HKLM\\Software\\Codec]\nUseCpu=dword:7\nUseCpu=" + c.data + "\n");
    auto reg = plat::common::makeIniRegistry(dir.hostPath("registry.ini"));
    EXPECT_EQ(reg->readDword(Hive::LocalMachine, "Software\\Codec", "UseCpu"), c.value.value_or(7u));
  }
}

TEST(RegistryShell, PlatformReadsVeldraRegistry) {
  veldra_test::TempGameDir dir;
  dir.write("other.ini", "[HKCU\\Control Panel\\International]\nlocale=00000804\n");
  {
    ScopedEnv env("VELDRA_REGISTRY", dir.hostPath("other.ini").c_str());
    plat::reloadEnvironment();
    plat::HeadlessOptions o;
    o.gameDir = dir.path();
    plat::installHeadless(o);
    EXPECT_EQ(plat::get().registry().readString(Hive::CurrentUser, "Control Panel\\International", "locale"),
              "00000804");
  }
  // Without it: registry.ini in the game folder.
  dir.write("game/registry.ini", "[HKCR\\.htm]\n@=fromgame\n");
  plat::reloadEnvironment();
  plat::HeadlessOptions o;
  o.gameDir = dir.hostPath("game");
  plat::installHeadless(o);
  EXPECT_EQ(plat::get().registry().readString(Hive::ClassesRoot, ".htm", ""), "fromgame");
}

TEST(RegistryShell, CodecProcessorClassFromTheEnvironment) {
  struct Case {
    const char* env;
    std::optional<uint32_t> value;
  } cases[] = {{"0", 0u}, {"6", 6u}, {"7", 7u}, {nullptr, std::nullopt}, {"", std::nullopt},
               {"-1", std::nullopt}, {"3x", std::nullopt}, {"99999999999", std::nullopt}};
  for (const Case& c : cases) {
    ScopedEnv env("VELDRA_JCODEC_USECPU", c.env);
    auto reg = plat::common::makeIniRegistry("");
    EXPECT_EQ(reg->readDword(Hive::LocalMachine, "software\\vorn\\jcodec", "UseCpu"), c.value)
        << (c.env ? c.env : "(unset)");
  }
}

TEST(RegistryShell, WindowsCommandLineSplitting) {
  using V = std::vector<std::string>;
  struct Case {
    std::string in;
    V out;
  } cases[] = {
      {"xdg-open \"http://a.example/x y\"", {"xdg-open", "http://a.example/x y"}},
      {"  prog  a\tb  ", {"prog", "a", "b"}},
      {"\"C:\\Program Files\\Browser\\b.exe\" -nohome \"%1\"", {"C:\\Program Files\\Browser\\b.exe", "-nohome", "%1"}},
      {"prog a\\\\b \\\\\\\"c", {"prog", "a\\\\b", "\\\"c"}},          // backslashes literal unless before '"'
      {"prog \"a\\\\\" b", {"prog", "a\\", "b"}},                      // 2n backslashes: n, quote closes
      {"prog \"a\\\"b\"", {"prog", "a\"b"}},                           // 2n+1: a literal quote
      {"prog \"a\"\"b\"", {"prog", "a\"b"}},                           // "" inside quotes
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"\"", {"prog", ""}},
      {"\"my prog\"x arg", {"my progx", "arg"}},                       // the program name: quotes only
      {"c:\\dir\\prog.exe a", {"c:\\dir\\prog.exe", "a"}},
      {"prog \xB1\x5C\"x y\"", {"prog", "\xB1\x5Cx y"}},               // a trail 0x5C is no backslash
      {"prog \"unterminated arg", {"prog", "unterminated arg"}},
      {"", {}},
      {"   ", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(plat::splitWindowsCommandLine(c.in), c.out) << c.in;
}

TEST(RegistryShell, WinExecSpawnsWithoutShell) {
  veldra_test::TempGameDir dir;
  auto shell = plat::common::makePosixShell();
  std::filesystem::path made = dir.hostPath("a b;echo x.txt");
  EXPECT_EQ(shell->winExec("touch \"" + made.string() + "\"", 1), 33);
  for (int i = 0; i < 500 && !std::filesystem::exists(made); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(std::filesystem::exists(made));  // one argument, no shell reading the ';'
  EXPECT_EQ(shell->winExec("/nonexistent/veldra-program x", 1), 2);
  EXPECT_EQ(shell->winExec("", 1), 2);
  EXPECT_EQ(shell->winExec("\"\" x", 1), 2);
}

}  // namespace
