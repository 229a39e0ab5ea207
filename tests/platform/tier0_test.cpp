// tier0 and vstdlib stand-ins: the fatal-error road, the clock, the command line, bounded strings,
// the C runtime's random numbers and the built-in module registry.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <thread>

#include "platform/common/command_line.h"
#include "platform/common/common.h"
#include "plat/crt.h"
#include "plat/headless.h"
#include "plat/test.h"
#include "plat/tier0.h"
#include "plat/winmsg.h"
#include "tests/support/temp_game_dir.h"

namespace {

// Each test gets a fresh headless platform and a throwing exit.
struct Tier0 : ::testing::Test {
  void SetUp() override {
    plat::HeadlessOptions o;
    o.gameDir = dir.path();
    p = &plat::installHeadless(o);
    plat::test::setExitHandler(true);
  }
  void TearDown() override {
    plat::tier0::setSpewOutputFunc(nullptr);
    plat::common::setProgramArgs(0, nullptr);
    plat::install(nullptr);  // before its game folder goes
  }
  veldra_test::TempGameDir dir;
  plat::HeadlessPlatform* p = nullptr;
};

TEST_F(Tier0, CrtRandIsTheWindowsSequence) {
  plat::crt_srand(1);
  EXPECT_EQ(plat::crt_rand(), 41);
  EXPECT_EQ(plat::crt_rand(), 18467);
  EXPECT_EQ(plat::crt_rand(), 6334);
  plat::crt_srand(12345);
  // Each thread starts at 1, whatever another thread seeded.
  int first = -1;
  std::thread([&] { first = plat::crt_rand(); }).join();
  EXPECT_EQ(first, 41);
  for (int i = 0; i < 1000; ++i) {
    int v = plat::crt_rand();
    ASSERT_GE(v, 0);
    ASSERT_LE(v, plat::CRT_RAND_MAX);
  }
}

TEST_F(Tier0, AtoiSaturates) {
  struct Case {
    const char* in;
    int out;
  } cases[] = {
      {"42", 42},          {"  \t\n-17", -17},  {"+5", 5},           {"12abc", 12},
      {"abc", 0},          {"", 0},             {"- 3", 0},          {"--3", 0},
      {"2147483647", INT_MAX},                  {"2147483648", INT_MAX},
      {"-2147483648", INT_MIN},                 {"-2147483649", INT_MIN},
      {"99999999999999999999999", INT_MAX},     {"-99999999999999999999999", INT_MIN},
      {"0000000000000000000000012", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(plat::vstd::Q_atoi(c.in), c.out) << '"' << c.in << '"';
  EXPECT_EQ(plat::vstd::Q_atoi(nullptr), 0);
}

TEST_F(Tier0, BoundedStringsAlwaysTerminate) {
  char buf[8];
  std::memset(buf, 'Z', sizeof buf);
  EXPECT_STREQ(plat::vstd::Q_strncpy(buf, "abcdefghijk", sizeof buf), "abcdefg");
  EXPECT_STREQ(plat::vstd::Q_strncpy(buf, "", sizeof buf), "");

  EXPECT_EQ(plat::vstd::Q_snprintf(buf, sizeof buf, "%d-%s", 12, "xyzuvw"), 7);  // written, not wanted
  EXPECT_STREQ(buf, "12-xyzu");
  EXPECT_EQ(plat::vstd::Q_snprintf(buf, sizeof buf, "%s", "ab"), 2);

  std::strcpy(buf, "ab");
  EXPECT_STREQ(plat::vstd::Q_strcat(buf, "cdefghij", sizeof buf), "abcdefg");
  std::strcpy(buf, "ab");
  EXPECT_STREQ(plat::vstd::Q_strncat(buf, "cdefghij", sizeof buf, 2), "abcd");
  EXPECT_STREQ(plat::vstd::Q_strncat(buf, "xyz", sizeof buf, -1), "abcdxyz");
  EXPECT_STREQ(plat::vstd::Q_strncat(buf, "more", sizeof buf, -1), "abcdxyz");  // full: unchanged

  std::memset(buf, 'Q', sizeof buf);  // no terminator at all
  plat::vstd::Q_strcat(buf, "x", sizeof buf);
  EXPECT_EQ(buf[7], '\0');
  EXPECT_EQ(std::string(buf), "QQQQQQQ");

  char one[1] = {'x'};
  plat::vstd::Q_strncpy(one, "abc", 1);
  EXPECT_EQ(one[0], '\0');
  EXPECT_EQ(plat::vstd::Q_snprintf(buf, 0, "%s", "abc"), 0);
}

TEST_F(Tier0, CommandLineText) {
  using V = std::vector<std::string>;
  EXPECT_EQ(plat::common::formatCommandLine(V{"main"}), "\"main\"");
  EXPECT_EQ(plat::common::formatCommandLine(V{"/opt/game dir/main", "-window", "my file.txt", "x", ""}),
            "\"/opt/game dir/main\" -window \"my file.txt\" x \"\"");
  EXPECT_EQ(plat::common::formatCommandLine(V{}), "");
}


std::vector<std::pair<int, std::string>> spewed;
int recordSpew(int type, const char* text) {
  spewed.emplace_back(type, text);
  return 2;
}

// Every fatal end reads the same to scripts: -1, as the SYSTEM module's fatal road.
TEST_F(Tier0, ErrorWithoutHandlerShowsBoxAndEndsWithMinusOne) {
  try {
    plat::tier0::error("Unable to load %s", "client_net.dll");
    FAIL() << "error returned";
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, -1);
  }
  ASSERT_EQ(p->boxes().size(), 1u);
  EXPECT_EQ(p->boxes()[0].text, "Unable to load client_net.dll");
  EXPECT_EQ(p->boxes()[0].caption, "Error");
  EXPECT_EQ(p->boxes()[0].style, plat::MB_ICONHAND);
}

TEST_F(Tier0, ErrorGoesToTheSpewHandlerAndIsCut) {
  spewed.clear();
  plat::tier0::setSpewOutputFunc(recordSpew);
  EXPECT_EQ(plat::tier0::spewOutputFunc(), recordSpew);
  std::string longText(5000, 'x');
  EXPECT_THROW(plat::tier0::error("%s", longText.c_str()), plat::test::ExitCalled);
  ASSERT_EQ(spewed.size(), 1u);
  EXPECT_EQ(spewed[0].first, plat::SPEW_ERROR);
  EXPECT_EQ(spewed[0].second, std::string(2047, 'x'));
  EXPECT_TRUE(p->boxes().empty());
}

#ifndef VELDRA_SANITIZED  // the sanitizer's allocator reports an impossible size itself
TEST_F(Tier0, AllocationFailureIsFatal) {
  EXPECT_THROW(plat::tier0::alloc(SIZE_MAX / 2), plat::test::ExitCalled);
  ASSERT_EQ(p->boxes().size(), 1u);
  EXPECT_EQ(p->boxes()[0].caption, "Error");
}
#endif

TEST_F(Tier0, AllocReallocFree) {
  auto* a = static_cast<char*>(plat::tier0::alloc(0));
  ASSERT_NE(a, nullptr);
  a = static_cast<char*>(plat::tier0::realloc(a, 64));
  std::memset(a, 1, 64);
  a = static_cast<char*>(plat::tier0::realloc(a, 0));
  EXPECT_NE(a, nullptr);
  plat::tier0::free(a);
}

TEST_F(Tier0, ClockReadsThePlatform) {
  p->fakeClock().set(0x12345);
  EXPECT_EQ(plat::tier0::msTime(), 0x12345u);
  EXPECT_DOUBLE_EQ(plat::tier0::floatTime(), p->clock().seconds());
  p->fakeClock().advance(10);
  EXPECT_EQ(plat::tier0::msTime(), 0x12345u + 10);
}

TEST_F(Tier0, CommandLineFromProgramArguments) {
  const char* argv[] = {"/opt/veldra game/main", "-Window", "save 1.dat"};
  plat::common::setProgramArgs(3, const_cast<char**>(argv));
  const auto& cl = plat::vstd::commandLine();
  EXPECT_STREQ(cl.text(), "\"/opt/veldra game/main\" -Window \"save 1.dat\"");
  EXPECT_EQ(cl.checkParm("-window"), 1);
  EXPECT_EQ(cl.checkParm("save 1.dat"), 2);
  EXPECT_EQ(cl.checkParm("/opt/veldra game/main"), 0);  // argv[0] is not a parameter
  EXPECT_EQ(cl.checkParm("-fullscreen"), 0);
  EXPECT_EQ(cl.count(), 3);
  EXPECT_STREQ(cl.arg(7), "");
}

using CreateFn = void* (*)(const char*, int*);
void* fakeFactory(const char*, int* rc) {
  static int object;
  if (rc) *rc = 0;
  return &object;
}

TEST_F(Tier0, ModuleRegistryFindsBuiltinsByName) {
  auto reg = plat::common::makeModuleRegistry();
  plat::common::registerBuiltinModules(*reg);
  plat::ModuleHandle h = reg->load("TIER0");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(reg->load("tier0.dll"), h);
  EXPECT_EQ(reg->load("Tier0.DLL"), h);
  EXPECT_EQ(reg->proc(h, 1), reinterpret_cast<void*>(&plat::tier0::alloc));
  EXPECT_EQ(reg->proc(h, 99), nullptr);
  plat::ModuleHandle v = reg->load("vstdlib");
  ASSERT_NE(v, 0u);
  EXPECT_NE(v, h);
  EXPECT_EQ(reg->proc(v, 6), reinterpret_cast<void*>(&plat::vstd::Q_atoi));
  int rc = 0;
  ASSERT_NE(reg->factory(h), nullptr);
  EXPECT_EQ(reg->factory(h)("VFileSystem009", &rc), nullptr);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(reg->load("filesystem_none.dll"), 0u);
  EXPECT_EQ(reg->load(""), 0u);
  EXPECT_EQ(reg->factory(0), nullptr);
  EXPECT_EQ(reg->proc(1234, 1), nullptr);

  // A fake of the same name replaces the module behind the same handle.
  reg->add({"TIER0.dll", fakeFactory, {}});
  EXPECT_EQ(reg->load("tier0"), h);
  EXPECT_EQ(reg->factory(h), static_cast<CreateFn>(fakeFactory));
  EXPECT_EQ(reg->proc(h, 1), nullptr);
  reg->unload(h);
  EXPECT_EQ(reg->load("tier0.dll"), h);  // built-ins stay registered
}

}  // namespace
