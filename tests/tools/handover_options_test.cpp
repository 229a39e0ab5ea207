// tools/handover's line options: the block it writes into the pipe, read back through the
// record reader, and the option errors.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plat/bytes.h"
#include "plat/handover.h"
#include "tests/support/temp_game_dir.h"

namespace {

class HandoverOptions : public ::testing::Test {
 protected:
  // Runs handover with a shell that copies descriptor 3 (the pipe) into a file: its exit code.
  int run(const std::string& options) {
    const std::string cmd = std::string(VELDRA_HANDOVER_BIN) + " " + options + " -- /bin/sh -c 'cat <&3 > " +
                            dir.hostPath("block") + "' 2>/dev/null";
    const int status = std::system(cmd.c_str());
    return (status >> 8) & 0xFF;
  }
  std::vector<plat::SERVER_LINE_RECORD> lines() {
    std::ifstream in(dir.hostPath("block"), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string bytes = s.str();
    plat::ByteReader r(bytes.data(), bytes.size());
    std::vector<plat::SERVER_LINE_RECORD> out;
    while (!r.empty()) out.push_back(plat::readServerLine(r));
    return out;
  }
  veldra_test::TempGameDir dir;
};

TEST_F(HandoverOptions, LinesFollowTheOptions) {
  ASSERT_EQ(run("--lines 3 --group 100100 --port 45678 --load 500,501 --unavailable 3"), 0);
  const std::vector<plat::SERVER_LINE_RECORD> got = lines();
  ASSERT_EQ(got.size(), 3u);
  const int loads[] = {500, 501, 100};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(got[i].name, "Line " + std::to_string(i + 1));
    EXPECT_EQ(got[i].line_id, 100101 + i);
    EXPECT_EQ(got[i].port, 45678);
    EXPECT_EQ(got[i].load, loads[i]);
    EXPECT_EQ(got[i].available, i == 2 ? 0 : 1);
    EXPECT_EQ(got[i].address, plat::ipv4NetworkOrder(127, 0, 0, 1));
  }
}

TEST_F(HandoverOptions, DefaultsKeepTheOldNumbering) {
  ASSERT_EQ(run("--lines 2"), 0);
  const std::vector<plat::SERVER_LINE_RECORD> got = lines();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].line_id, 101);
  EXPECT_EQ(got[1].line_id, 102);
  EXPECT_EQ(got[0].port, 7001);
  EXPECT_EQ(got[1].port, 7002);
  EXPECT_EQ(got[1].load, 100);
  EXPECT_EQ(got[1].available, 1);
}

TEST_F(HandoverOptions, OptionErrorsAreUsageErrors) {
  for (const char* bad : {"--lines 2 --load 1,2,3", "--lines 2 --unavailable 3", "--lines 2 --unavailable 0",
                          "--lines 2 --port 0", "--lines 2 --port 70000", "--lines 2 --load 1,,2",
                          "--lines 2 --group -1"}) {
    EXPECT_EQ(run(bad), 2) << bad;
  }
}

}  // namespace
