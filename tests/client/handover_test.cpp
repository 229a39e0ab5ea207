// Process start's hand-over: the two start-up variables, which descriptors start the reader,
// and the launcher side that the updater and tools/handover share.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/client/client_start_fixture.h"
#include "tests/support/pipe_feeder.h"

namespace client_test {
namespace {

using veldra_test::PipeFeeder;

class Handover : public ClientStartTest {
 protected:
  void TearDown() override {
    unsetenv("VELDRA_STARTUP_X");
    unsetenv("VELDRA_STARTUP_Y");
    ClientStartTest::TearDown();
  }
  bool debugMentions(const std::string& part) {
    for (const auto& l : headless().debugLines())
      if (l.find(part) != std::string::npos) return true;
    return false;
  }
  // Bounded wait on the wall clock for the detached reader.
  template <class F>
  bool waitFor(F done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }
};

TEST_F(Handover, OnlyAPipeStartsTheReader) {
  enum Kind { None, Zero, MinusOne, AllBits, RegularFile, Pipe };
  struct Case {
    const char* name;
    Kind kind;
    int32_t expectX;
    bool reads;
    bool ignoredLine;
  };
  const Case cases[] = {
      {"no variables", None, 0, false, false},
      {"X = 0", Zero, 0, false, false},
      {"X = -1", MinusOne, -1, false, false},
      {"X = 4294967295", AllBits, -1, false, false},
      {"X names a regular file", RegularFile, -2, false, true},
      {"X names a pipe", Pipe, -2, true, false},
  };
  dir.write("plain.txt", std::string(168, 'x'));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    int fds[2] = {-1, -1};
    int fd = -1;
    std::string x;
    switch (c.kind) {
      case None: break;
      case Zero: x = "0"; break;
      case MinusOne: x = "-1"; break;
      case AllBits: x = "4294967295"; break;
      case RegularFile:
        fd = veldra_test::openForReading(dir.hostPath("plain.txt"));
        x = std::to_string(fd);
        break;
      case Pipe:
        ASSERT_TRUE(veldra_test::plainPipe(fds));  // inheritable, as pipe(2) makes it
        fd = fds[0];
        x = std::to_string(fd);
        break;
    }
    if (!x.empty()) {
      setenv("VELDRA_STARTUP_X", x.c_str(), 1);
      setenv("VELDRA_STARTUP_Y", "0", 1);
    }
    if (c.kind == Pipe) {
      const auto block = PipeFeeder::lines(3);
      ASSERT_EQ(veldra_test::writeFd(fds[1], block), static_cast<long>(block.size()));
    }
    client_process_start("main");

    EXPECT_EQ(std::getenv("VELDRA_STARTUP_X"), nullptr);
    EXPECT_EQ(std::getenv("VELDRA_STARTUP_Y"), nullptr);
    if (c.expectX != -2) {
      EXPECT_EQ(plat::get().process().startupInfo().x, c.expectX);
    }
    EXPECT_EQ(handover_parent_window, plat::kNoWindow);
    EXPECT_EQ(debugMentions("not a pipe"), c.ignoredLine);
    if (c.reads) {
      EXPECT_TRUE(veldra_test::isCloseOnExec(fd));
      EXPECT_TRUE(waitFor([] { return server_line_count() == 3; }));
      veldra_test::closeFd(fds[1]);
      EXPECT_TRUE(waitFor([] { return handover_readers_active() == 0; }));
    } else {
      EXPECT_EQ(handover_readers_active(), 0);
      EXPECT_EQ(server_line_count(), 0);
    }
    if (c.kind == RegularFile) veldra_test::closeFd(fd);
    if (c.kind == Pipe) veldra_test::closeFd(fds[0]);
  }
}

TEST_F(Handover, StartClearsTheCountAndKeepsTheCommandLine) {
  server_lines.count = 5;
  client_process_start("\"main\" replay.rec");
  EXPECT_EQ(server_line_count(), 0);
  EXPECT_EQ(client_command_line(), "\"main\" replay.rec");
}

TEST_F(Handover, ParentWindowComesFromY) {
  setenv("VELDRA_STARTUP_Y", "77", 1);
  client_process_start("main");
  EXPECT_EQ(handover_parent_window, 77u);
}

TEST_F(Handover, LauncherWritesTheBlockBeforeTheChildAndHandsOverDescriptorThree) {
  // The child reports what it finds: descriptor 3 a pipe, the two variables, and the bytes.
  plat::HandoverLauncher pipe;
  ASSERT_TRUE(pipe.open());
  EXPECT_TRUE(veldra_test::isCloseOnExec(pipe.readFd()));
  EXPECT_TRUE(veldra_test::isCloseOnExec(pipe.writeFd()));
  const auto block = PipeFeeder::lines(3);
  ASSERT_TRUE(pipe.write(block));
  const std::string out = dir.hostPath("child.txt");
  const std::string script = "[ -p /dev/fd/3 ] && echo pipe; echo \"$VELDRA_STARTUP_X $VELDRA_STARTUP_Y\"; [ -e /dev/fd/" +
                             std::to_string(pipe.writeFd()) + " ] && echo write end leaked; head -c 252 <&3 | wc -c";
  const auto pid = pipe.spawn("/bin/sh", {"-c", "{ " + script + "; } > '" + out + "'"}, true);
  ASSERT_TRUE(pid.has_value()) << pipe.error();
  EXPECT_EQ(pipe.readFd(), -1);  // our read end is closed once the child has its copy
  pipe.closeWrite();
  EXPECT_EQ(plat::HandoverLauncher::wait(*pid), 0);
  EXPECT_EQ(dir.read("child.txt"), "pipe\n3 0\n252\n");
}

TEST_F(Handover, LauncherReportsTheChildsExitStatus) {
  plat::HandoverLauncher pipe;
  ASSERT_TRUE(pipe.open());
  const auto pid = pipe.spawn("/bin/sh", {"-c", "exit 7"}, true);
  ASSERT_TRUE(pid.has_value());
  pipe.closeWrite();
  EXPECT_EQ(plat::HandoverLauncher::wait(*pid), 7);
  EXPECT_FALSE(pipe.write(PipeFeeder::commandBytes(3025)));  // closed: refused, no SIGPIPE
}

}  // namespace
}  // namespace client_test
