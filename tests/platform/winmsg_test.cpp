// Message names, as event scripts and failure reports use them.
#include <gtest/gtest.h>

#include "plat/winmsg.h"

namespace {

TEST(WinMsg, NamesAndNumbersParse) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t id;
  } cases[] = {
      {"WM_CLOSE", true, plat::WM_CLOSE},  {"WM_MUSIC_EVENT", true, 1289},
      {"16", true, 16},                    {"0x10", true, 16},
      {"0X0400", true, 0x400},             {"4294967295", true, 0xFFFFFFFFu},
      {"4294967296", false, 0},            {"wm_close", false, 0},
      {"WM_NOPE", false, 0},               {"", false, 0},
      {"0x", false, 0},                    {"-1", false, 0},
      {"12abc", false, 0},                 {"0x 1", false, 0},
      {" 5", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t id = 0;
    EXPECT_EQ(plat::parseMessage(c.text, id), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(id, c.id) << c.text;
    }
  }
  uint32_t unused = 0;
  EXPECT_FALSE(plat::parseMessage(nullptr, unused));
}

TEST(WinMsg, EveryNameMapsBack) {
  for (uint32_t id = 0; id < 0x1000; ++id) {
    const char* name = plat::messageName(id);
    if (!name) continue;
    uint32_t back = 0;
    ASSERT_TRUE(plat::parseMessage(name, back)) << name;
    EXPECT_EQ(back, id) << name;
  }
  EXPECT_STREQ(plat::messageName(plat::WM_DESTROY), "WM_DESTROY");
  EXPECT_EQ(plat::messageName(0x7777), nullptr);
}

}  // namespace
