// The pipe reader: commands, records joined across reads into the 100-row table, the log and
// the debug lines, and the thread's ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "tests/client/client_start_fixture.h"
#include "tests/support/pipe_feeder.h"

namespace client_test {
namespace {

using veldra_test::PipeFeeder;
using Bytes = std::vector<uint8_t>;

Bytes cmd(uint32_t value) { return PipeFeeder::commandBytes(value); }
Bytes slice(const Bytes& b, size_t from, size_t n) { return Bytes(b.begin() + from, b.begin() + from + n); }

// The table's row in its file form.
Bytes rowBytes(const SERVER_LINE_RECORD& rec) {
  plat::ByteWriter w;
  plat::writeServerLine(w, rec);
  return w.take();
}

class PipeReader : public ClientStartTest {
 protected:
  void SetUp() override {
    ClientStartTest::SetUp();
    startLog();
  }
  void feed(const std::vector<Bytes>& reads) {
    for (const Bytes& r : reads) handover_on_read(r);
  }
  // Row i holds test line first + i.
  void expectRows(int count, int first) {
    const SERVER_LINE_TABLE t = server_lines_snapshot();
    ASSERT_EQ(t.count, count);
    for (int i = 0; i < count; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(rowBytes(t.rows[i]), rowBytes(PipeFeeder::line(first + i)));
    }
  }
  bool debugHas(const std::string& line) {
    for (const auto& l : headless().debugLines())
      if (l == line) return true;
    return false;
  }
};

TEST_F(PipeReader, CommandsSetTheReplayControls) {
  struct Case {
    const char* name;
    std::vector<uint32_t> commands;
    int32_t running;
    float speed;
    int32_t divisor;
  };
  const Case cases[] = {
      {"3024 once", {3024}, 0, 1.0f, 1},
      {"3024 twice", {3024, 3024}, 1, 1.0f, 1},
      {"3027 once", {3027}, 1, 2.0f, 2},
      {"3027 twice", {3027, 3027}, 1, 4.0f, 4},
      {"3027 three times", {3027, 3027, 3027}, 1, 4.0f, 4},
      {"3026 after 3027", {3027, 3027, 3026}, 1, 1.0f, 1},
      {"3027 releases a hold", {3024, 3027}, 1, 2.0f, 2},
      {"3026 releases a hold", {3024, 3026}, 1, 1.0f, 1},
      {"3028 and 12345 ignored", {3024, 3028, 12345}, 0, 1.0f, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    replay_controls_reset();
    handover_reset();
    for (uint32_t v : c.commands) handover_on_read(cmd(v));
    EXPECT_EQ(replay_running.load(), c.running);
    EXPECT_EQ(replay_speed.load(), c.speed);
    EXPECT_EQ(speed_divisor.load(), c.divisor);
    EXPECT_EQ(server_line_count(), 0);
  }
}

TEST_F(PipeReader, RecognisedCommandsAreLoggedThenAnEmptyLine) {
  feed({cmd(3024), cmd(3028), cmd(12345), cmd(3027)});
  const std::string log = logText();
  const size_t toggle = log.find("\nbd0,");
  const size_t speed = log.find("\nbd3,");
  ASSERT_NE(toggle, std::string::npos) << log;
  ASSERT_NE(speed, std::string::npos) << log;
  EXPECT_EQ(log.find("\nbd4,"), std::string::npos);  // 3028
  EXPECT_EQ(log.find("\n3039,"), std::string::npos);  // 12345
  EXPECT_EQ(log.substr(log.find('\n', toggle + 1), 2), "\n\n");
}

TEST_F(PipeReader, RecordsJoinAcrossReads) {
  const Bytes two = PipeFeeder::lines(2);
  const Bytes hundred = PipeFeeder::lines(100);
  struct Case {
    const char* name;
    std::vector<Bytes> reads;
    int count;
    size_t pending;
  };
  Bytes twoPlus = two;
  twoPlus.insert(twoPlus.end(), {0xAA, 0xBB});
  const Case cases[] = {
      {"168 bytes", {two}, 2, 0},
      {"170 bytes", {twoPlus}, 2, 2},
      {"4,096 + 4,096 + 208", {slice(hundred, 0, 4096), slice(hundred, 4096, 4096), slice(hundred, 8192, 208)}, 100, 0},
      {"a 4-byte read completes a pending record", {slice(two, 0, 80), slice(two, 80, 4)}, 1, 0},
      {"byte by byte", {slice(two, 0, 1), slice(two, 1, 83), slice(two, 84, 3), slice(two, 87, 81)}, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    handover_reset();
    server_lines = SERVER_LINE_TABLE{};
    feed(c.reads);
    expectRows(c.count, 1);
    EXPECT_EQ(handover_pending_bytes(), c.pending);
  }
}

TEST_F(PipeReader, FourBytesWhileARecordIsPendingAreNotACommand) {
  const Bytes one = PipeFeeder::lines(1);
  feed({slice(one, 0, 80), cmd(3024)});
  EXPECT_EQ(replay_running.load(), 1);
  EXPECT_EQ(server_line_count(), 1);  // its last 4 bytes were 3024's
}

TEST_F(PipeReader, ABlockAfterACommandStartsAgainAtRowZero) {
  feed({PipeFeeder::lines(2, 1), cmd(3026), PipeFeeder::lines(3, 11)});
  expectRows(3, 11);
  // Without a command in between, a later read goes on below the rows already there.
  feed({PipeFeeder::lines(1, 20)});
  const SERVER_LINE_TABLE t = server_lines_snapshot();
  EXPECT_EQ(t.count, 4);
  EXPECT_EQ(t.rows[3].line_id, 120);
}

TEST_F(PipeReader, AFullTableDropsTheRestWithOneLogLine) {
  handover_on_read(PipeFeeder::lines(120));
  handover_on_end();
  expectRows(100, 1);
  const std::string log = logText();
  const std::string line = "Server line table full, 20 lines dropped";
  ASSERT_NE(log.find(line), std::string::npos) << log;
  EXPECT_EQ(log.find(line), log.rfind(line));
  EXPECT_TRUE(debugHas(line));
}

TEST_F(PipeReader, ANameFillingItsFieldReadsAs63Bytes) {
  SERVER_LINE_RECORD rec = PipeFeeder::line(1);
  std::memset(rec.name, 'N', sizeof rec.name);
  handover_on_read(rowBytes(rec));
  const SERVER_LINE_TABLE t = server_lines_snapshot();
  ASSERT_EQ(t.count, 1);
  EXPECT_EQ(std::strlen(t.rows[0].name), 63u);
  EXPECT_EQ(t.rows[0].line_id, 101);
}

TEST_F(PipeReader, RecordFieldsFollowTheWireLayout) {
  Bytes b(84, 0);
  std::memcpy(b.data(), "East", 4);
  const uint8_t tail[] = {0x65, 0, 0, 0,      127, 0, 0, 1,  0x59, 0x1B, 1, 0,
                          0xFF, 0xFF, 0xFF, 0xFF, 1,  9, 8, 7};
  std::memcpy(b.data() + 64, tail, sizeof tail);
  handover_on_read(b);
  const SERVER_LINE_RECORD r = server_lines_snapshot().rows[0];
  EXPECT_STREQ(r.name, "East");
  EXPECT_EQ(r.line_id, 101);
  EXPECT_EQ(r.address, plat::ipv4NetworkOrder(127, 0, 0, 1));
  EXPECT_EQ(r.port & 0xFFFF, 7001);
  EXPECT_EQ(r.load, -1);
  EXPECT_EQ(r.available, 1);
  EXPECT_EQ(r.pad[0], 9);
  EXPECT_EQ(rowBytes(r), b);
}

TEST_F(PipeReader, DebugLineGivesTheCount) {
  handover_on_read(PipeFeeder::lines(3));
  EXPECT_TRUE(debugHas("server lines: 3"));
}

TEST_F(PipeReader, ProgressCommandPostsThePublishedPercentToTheParentWindow) {
  plat::WindowDesc desc;
  desc.titleCp936 = "controller";
  const plat::WindowId parent = plat::get().windows().create(desc);
  ASSERT_NE(parent, plat::kNoWindow);
  plat::Msg m;
  while (plat::get().events().peek(m)) {
  }
  replay_progress_published = 42;

  handover_on_read(cmd(3029));  // no parent window: nothing is posted
  EXPECT_TRUE(debugHas("msg = 3029, param = 42.\n"));
  handover_parent_window = parent;
  handover_on_read(cmd(3029));

  int posted = 0;
  while (plat::get().events().peek(m)) {
    if (m.message != 3029) continue;
    ++posted;
    EXPECT_EQ(m.window, parent);
    EXPECT_EQ(m.wParam, 42u);
    EXPECT_EQ(m.lParam, 0);
  }
  EXPECT_EQ(posted, 1);
}

TEST_F(PipeReader, ThreadEndsAtEndOfFile) {
  PipeFeeder feeder;
  ASSERT_TRUE(feeder.write(PipeFeeder::lines(2)));
  feeder.closeWrite();
  const uint32_t before = plat::get().clock().ms();
  EXPECT_EQ(pipe_reader_thread(feeder.readFd()), 0);
  expectRows(2, 1);
  EXPECT_EQ(plat::get().clock().ms() - before, 100u);  // one read, one sleep, on the fake clock
  EXPECT_EQ(handover_readers_active(), 0);
}

TEST_F(PipeReader, ThreadEndsOnAReadError) {
  const int fd = veldra_test::openForReading(dir.path());  // a folder: every read fails
  ASSERT_GE(fd, 0);
  EXPECT_EQ(pipe_reader_thread(fd), 0);
  veldra_test::closeFd(fd);
  EXPECT_EQ(pipe_reader_thread(-1), 0);
  EXPECT_EQ(server_line_count(), 0);
}

TEST_F(PipeReader, ExitCommandEndsTheProcessWithZeroAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        plat::test::setExitHandler(false);
        PipeFeeder feeder;
        feeder.command(3025);
        pipe_reader_thread(feeder.readFd());
        std::_Exit(3);  // not reached when 3025 ends the process
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(PipeReader, ATableReaderOnlySeesWholeRecords) {
  PipeFeeder feeder;
  std::thread reader([fd = feeder.readFd()] { pipe_reader_thread(fd); });
  std::atomic<bool> torn{false};
  const Bytes block = PipeFeeder::lines(100);
  std::thread writer([&] {
    for (size_t at = 0; at < block.size(); at += 1000) feeder.write(slice(block, at, std::min<size_t>(1000, block.size() - at)));
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int seen = 0;
  while (seen < 100 && std::chrono::steady_clock::now() < deadline) {
    const SERVER_LINE_TABLE t = server_lines_snapshot();
    for (int i = 0; i < t.count; ++i)
      if (rowBytes(t.rows[i]) != rowBytes(PipeFeeder::line(i + 1))) torn = true;
    seen = t.count;
  }
  writer.join();
  feeder.closeWrite();
  reader.join();
  EXPECT_EQ(seen, 100);
  EXPECT_FALSE(torn.load());
}

}  // namespace
}  // namespace client_test
