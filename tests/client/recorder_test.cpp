// The play recorder and the replay: the file, the mirror, loading, the replay's time line, its
// holds and its end, capture mode and the progress percent.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "client/ui/message_box.h"
#include "tests/client/task_fixture.h"

namespace {

using task_test::RecordBytes;
using task_test::Seen;
using task_test::seen_chat;
using task_test::seen_world;

uint32_t u32_at(const std::string& bytes, size_t at) {
  plat::ByteReader r(bytes.data() + at, 4);
  return r.u32();
}

class Recorder : public task_test::TaskTest {
 protected:
  // 2026-12-10 20:15:07 UTC.
  static constexpr int64_t kWall = 1796933707;
  void SetUp() override {
    TaskTest::SetUp();
    hp().fakeClock().setWallTime(kWall);
  }
  void writeMessage(uint32_t id, int32_t arg, const std::string& payload, uint32_t kind = RECORD_KIND_WORLD) {
    record_write_entry(RECORD_ENTRY{RECORD_TAG, frame_input.frame_time, id, static_cast<uint32_t>(arg), kind,
                                    static_cast<uint32_t>(payload.size()),
                                    reinterpret_cast<const uint8_t*>(payload.data())});
  }
};

TEST_F(Recorder, File) {
  record_start();
  ASSERT_EQ(record_state.recording, 1);
  EXPECT_STREQ(record_state.file_name, "record/rd2026-12-10-4-15-7.rec");
  const std::string file = hostFile("record/rd2026-12-10-4-15-7.rec");
  ASSERT_EQ(file.size(), 588u);
  EXPECT_EQ(file.find_first_not_of('\0'), 275u);
  EXPECT_EQ(static_cast<uint8_t>(file[275]), 26);
  EXPECT_EQ(u32_at(file, 276), 1010103u);
  EXPECT_EQ(u32_at(file, 280), static_cast<uint32_t>(kWall));
  EXPECT_EQ(u32_at(file, 284), 0u);
  EXPECT_EQ(u32_at(file, 288), 0u);
  EXPECT_EQ(file.find_first_not_of('\0', 292), std::string::npos);
  // The pop-up, not a modal box.
  bool shown = false;
  for (const MESSAGE_SLOT& s : message_slots) shown |= s.in_use && std::strcmp(s.text, "record saving") == 0;
  EXPECT_TRUE(shown);
}

TEST_F(Recorder, NameUsesTheUtcDateAndTheHourPlusEight) {
  EXPECT_EQ(record_file_name(kWall), "record/rd2026-12-10-4-15-7.rec");
  EXPECT_EQ(record_file_name(1767225600), "record/rd2026-1-1-8-0-0.rec");     // 2026-01-01 00:00:00
  EXPECT_EQ(record_file_name(1767225599), "record/rd2025-12-31-7-59-59.rec");  // a second before
  EXPECT_EQ(record_file_name(0), "record/rd1970-1-1-8-0-0.rec");
}

// The first entry writes both header times; later ones the last time at most once a second of
// frame time; the first time is written once.
TEST_F(Recorder, HeaderTimes) {
  record_start();
  const std::string path = record_state.file_name;
  const uint32_t t0 = 500000;
  uint32_t first_writes = 0, last_writes = 0, last_change = 0, prev_first = 0, prev_last = 0;
  for (int i = 0; i < 50; ++i) {
    frame_input.frame_time = t0 + static_cast<uint32_t>(i) * 3000 / 49;
    writeMessage(0x30001, i, std::string(static_cast<size_t>(i % 5), 'x'));
    const std::string file = hostFile(path);
    const uint32_t first = u32_at(file, 284), last = u32_at(file, 288);
    if (first != prev_first) ++first_writes;
    if (last != prev_last) {
      ++last_writes;
      if (last_writes > 1) {
        EXPECT_GT(last - last_change, 1000u) << "entry " << i;
      }
      last_change = last;
    }
    prev_first = first;
    prev_last = last;
  }
  EXPECT_EQ(first_writes, 1u);
  EXPECT_EQ(prev_first, t0);
  EXPECT_GE(last_writes, 2u);
  EXPECT_LE(last_writes, 3u);
  EXPECT_EQ(record_state.header.last_time, prev_last);
  // The entries themselves: 50 heads and their payloads, in order.
  const std::string file = hostFile(path);
  plat::ByteReader r(file.data() + 588, file.size() - 588);
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(r.u32(), RECORD_TAG);
    r.u32();
    EXPECT_EQ(r.u32(), 0x30001u);
    EXPECT_EQ(r.i32(), i);
    EXPECT_EQ(r.u32(), RECORD_KIND_WORLD);
    const uint32_t len = r.u32();
    EXPECT_EQ(len, static_cast<uint32_t>(i % 5));
    r.skip(len);
  }
  EXPECT_TRUE(r.empty());
}

TEST_F(Recorder, FileThatCannotBeCreatedClearsTheSwitch) {
  dir.write("record", "a file where the folder should be");
  settings.record_play = 1;
  record_state.mirror = 1;
  record_start();
  EXPECT_EQ(record_state.recording, 0);
  EXPECT_EQ(record_state.mirror, 0);  // the whole state reset
  EXPECT_EQ(settings.record_play, 0);
  writeMessage(0x30001, 1, "x");  // nothing to write to
}

TEST_F(Recorder, StartFreesLoadedReplayEntries) {
  dir.write("r.rec", RecordBytes().entry(10, 0x30001, 0, RECORD_KIND_WORLD).str());
  record_load("r.rec");
  ASSERT_EQ(replay_entries.count, 1);
  record_start();
  EXPECT_EQ(replay_entries.count, 0);
  // A replay step over the emptied table ends the replay, not the process.
  record_state.recording = 0;
  replay_step();
  EXPECT_EQ(replaying, 0);
}

TEST_F(Recorder, Mirror) {
  bindLinks(true, false);
  record_state.mirror = 1;
  const uint32_t kinds[] = {RECORD_KIND_NONE, RECORD_KIND_WORLD, RECORD_KIND_CHAT, RECORD_KIND_INPUT, RECORD_KIND_PICK};
  frame_input.frame_time = 123456;
  for (uint32_t kind : kinds) writeMessage(0x30002 + kind, static_cast<int32_t>(kind) * 10, std::string(kind * 3, 'p'), kind);
  const std::string big(70000, 'b');  // larger than any fixed buffer
  writeMessage(0x40001, 7, big, RECORD_KIND_CHAT);
  ASSERT_EQ(worldLink()->sends.size(), 5u);
  for (size_t i = 0; i < 4; ++i) {
    const uint32_t kind = kinds[i + 1];
    const auto& s = worldLink()->sends[i];
    EXPECT_EQ(s.id, 0x19000cu);
    EXPECT_EQ(s.arg, 0);
    plat::ByteWriter w;
    w.u32(26);
    w.u32(123456);
    w.u32(0x30002 + kind);
    w.u32(kind * 10);
    w.u32(kind);
    w.u32(kind * 3);
    w.bytes(std::string(kind * 3, 'p').data(), kind * 3);
    EXPECT_EQ(s.payload, w.data()) << "kind " << kind;
  }
  EXPECT_EQ(worldLink()->sends[4].payload.size(), 24u + big.size());
  EXPECT_FALSE(dir.exists("record"));  // mirroring alone writes no file

  // Picks and input samples are mirrored too.
  worldLink()->sends.clear();
  record_pick_event(4242);
  record_input_sample();
  ASSERT_EQ(worldLink()->sends.size(), 2u);
  EXPECT_EQ(u32_at(std::string(worldLink()->sends[0].payload.begin(), worldLink()->sends[0].payload.end()), 12), 4242u);
  EXPECT_EQ(worldLink()->sends[1].payload.size(), 48u);
}

// ---- loading ---------------------------------------------------------------------------------

class Replay : public Recorder {
 protected:
  void SetUp() override {
    Recorder::SetUp();
    record_dispatch.world = task_test::fake_world_dispatch;
    record_dispatch.chat = task_test::fake_chat_dispatch;
  }
  // Frames until the predicate holds; at most n.
  template <typename P>
  int framesUntil(P done, int n = 2000) {
    for (int i = 0; i < n; ++i) {
      if (done()) return i;
      frame_step();
    }
    return -1;
  }
};

TEST_F(Replay, LoadRoundTrip) {
  record_start();
  frame_input.frame_time = 70000;
  writeMessage(0x30001, -5, std::string("\x01\x02\0\x03", 4));
  frame_input.frame_time = 70100;
  writeMessage(0x40000, 9, "chat text", RECORD_KIND_CHAT);
  frame_input.frame_time = 70200;
  frame_input.raw_mouse_x = 320;
  frame_input.raw_mouse_y = -4;
  frame_input.mouse_x = 330;
  frame_input.mouse_y = 6;
  frame_input.event_code = 245;
  frame_input.key_code = 13;
  frame_input.scan_code = 141;
  frame_input.alt_down = 1;
  frame_input.ctrl_down = 0;
  record_input_sample();
  frame_input.frame_time = 71500;
  record_pick_event(777);
  const std::string path = record_state.file_name;

  record_state_reset();
  message_slots[9].in_use = 1;
  record_load(path.c_str());
  ASSERT_EQ(replay_entries.count, 4);
  EXPECT_EQ(replaying, 1);
  EXPECT_STREQ(record_state.path, path.c_str());
  EXPECT_TRUE(dir.exists("bmp"));
  EXPECT_EQ(message_slots[9].in_use, 0);  // the session state reset
  EXPECT_EQ(record_state.start_time, 70000u);
  EXPECT_EQ(record_state.header.first_time, 70000u);
  EXPECT_EQ(record_state.header.last_time, 71500u);
  struct Want {
    uint32_t time, code, arg, kind;
    std::string payload;
  };
  plat::ByteWriter sample;
  for (int32_t v : {320, -4, 330, 6}) sample.i32(v);
  for (uint8_t b : {245, 13, 141, 1, 0, 0, 0, 0}) sample.u8(b);
  const Want want[] = {{70000, 0x30001, static_cast<uint32_t>(-5), 1, std::string("\x01\x02\0\x03", 4)},
                       {70100, 0x40000, 9, 2, "chat text"},
                       {70200, 0, 0, 3, std::string(sample.data().begin(), sample.data().end())},
                       {71500, 0, 777, 6, ""}};
  for (int i = 0; i < 4; ++i) {
    const REPLAY_ENTRY& e = replay_entries[i];
    EXPECT_EQ(e.time, want[i].time);
    EXPECT_EQ(e.code, want[i].code);
    EXPECT_EQ(e.arg, want[i].arg);
    EXPECT_EQ(e.kind, want[i].kind);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(replay_payloads.data()) + e.payload_at, e.length), want[i].payload);
  }
}

TEST_F(Replay, LoadRefusals) {
  struct Row {
    const char* what;
    std::string bytes;
    const char* box;  // nullptr: silent
    int entries;
    const char* debug;
  };
  const std::vector<uint8_t> p10(10, 'q');
  const Row rows[] = {
      {"wrong format byte", RecordBytes(RECORD_VERSION, 27).entry(1, 2, 3, 1).str(), "record file error", 0, nullptr},
      {"wrong format and version", RecordBytes(1010102, 0).entry(1, 2, 3, 1).str(), "record version error", 0, nullptr},
      {"older version", RecordBytes(1010102).entry(1, 2, 3, 1).str(), "record version error", 0, nullptr},
      {"newer version", RecordBytes(1010104).entry(1, 2, 3, 1).str(), "record version error", 0, nullptr},
      {"short header", RecordBytes().str().substr(0, 300), "record file error", 0, nullptr},
      {"first tag not 26", RecordBytes().entry(1, 2, 3, 1, {}, 27).entry(5, 2, 3, 1).str(), nullptr, 0, "record erro\n"},
      {"third tag not 26", RecordBytes().entry(1, 2, 3, 1).entry(2, 2, 3, 1, p10).entry(3, 2, 3, 1, {}, 0).str(),
       nullptr, 2, "record erro\n"},
      {"payload past the end", RecordBytes().entry(1, 2, 3, 1, p10).entry(2, 2, 3, 1, p10).str() + "\x1a\0\0\0" +
           std::string(16, '\0') + std::string("\xff\x00\x00\x00", 4) + "abc",
       nullptr, 2, nullptr},
      {"truncated head", RecordBytes().entry(1, 2, 3, 1).str() + std::string("\x1a\0\0\0\x05\0", 6), nullptr, 1, nullptr},
      {"huge payload length", RecordBytes().entry(1, 2, 3, 1).str() + "\x1a\0\0\0" + std::string(16, '\0') +
           std::string("\xff\xff\xff\xff", 4),
       nullptr, 1, nullptr},
      {"no entries", RecordBytes().str(), nullptr, 0, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    record_state_reset();
    hp().debugLines().clear();
    dir.write("x.rec", r.bytes);
    const int before = r.box ? logged(r.box) : 0;
    if (r.box) scheduleClick(elapsedMs() + 200);
    record_load("x.rec");
    if (r.box) {
      EXPECT_EQ(logged(r.box), before + 1);
    }
    EXPECT_EQ(replay_entries.count, r.entries);
    EXPECT_EQ(replaying, r.entries > 0 ? 1 : 0);
    bool debug = false;
    for (const std::string& l : hp().debugLines()) debug |= l == "record erro\n";
    EXPECT_EQ(debug, r.debug != nullptr);
  }
  // A file that does not open: silently nothing.
  record_state_reset();
  record_load("none.rec");
  EXPECT_EQ(record_state.path[0], '\0');
  EXPECT_EQ(replaying, 0);
}

// ---- the time line ---------------------------------------------------------------------------

TEST_F(Replay, EntriesFollowTheRecordedPaceAndTheSpeed) {
  for (float speed : {1.0f, 2.0f}) {
    SCOPED_TRACE(speed);
    record_state_reset();
    seen_world().clear();
    dir.write("t.rec", RecordBytes()
                           .entry(5000, 0x30001, 1, RECORD_KIND_WORLD)
                           .entry(6000, 0x30001, 2, RECORD_KIND_WORLD)
                           .entry(7000, 0x30001, 3, RECORD_KIND_WORLD)
                           .str());
    frame_step();
    record_load("t.rec");
    replay_speed.store(speed);
    framesUntil([] { return seen_world().size() == 3; });
    ASSERT_EQ(seen_world().size(), 3u);
    const double gap = 1000.0 / speed;
    for (size_t i = 1; i < 3; ++i) {
      const double d = seen_world()[i].frame_time - seen_world()[i - 1].frame_time;
      EXPECT_GE(d, gap - 1);
      EXPECT_LE(d, gap + 32);
    }
    for (const Seen& s : seen_world()) EXPECT_TRUE(s.do_not_record);
    EXPECT_EQ(scene_redraw_flag, 1);
    // The last entry was fed: the next step ends the process with 0.
    try {
      frame_step();
      ADD_FAILURE() << "the replay did not end the process";
    } catch (const plat::test::ExitCalled& e) {
      EXPECT_EQ(e.code, 0);
    }
  }
}

TEST_F(Replay, OneEntryPerFrameAndKindsGoWhereTheyBelong) {
  const std::vector<uint8_t> hello = {'h', 'i'};
  dir.write("t.rec", RecordBytes()
                         .entry(100, 0x30001, 1, RECORD_KIND_WORLD, hello)
                         .entry(100, 0x40000, 2, RECORD_KIND_CHAT, hello)
                         .sample(100, 13, 250, 260, 244)
                         .entry(100, 0, 99, RECORD_KIND_PICK)
                         .entry(100, 0, 0, 77)  // an unknown kind is skipped
                         .str());
  frame_step();
  record_load("t.rec");
  frame_step();
  ASSERT_EQ(seen_world().size(), 1u);
  EXPECT_EQ(seen_world()[0], (Seen{0x30001, 1, hello, true, 0}));
  EXPECT_TRUE(seen_chat().empty());
  frame_step();
  ASSERT_EQ(seen_chat().size(), 1u);
  EXPECT_EQ(seen_chat()[0], (Seen{0x40000, 2, hello, true, 0}));
  frame_step();
  // The sample lands in FRAME_INPUT and becomes the replayed position.
  EXPECT_EQ(frame_input.key_code, 13);
  EXPECT_EQ(frame_input.event_code, 244);
  EXPECT_EQ(frame_input.raw_mouse_x, 250);
  EXPECT_EQ(frame_input.raw_mouse_y, 260);
  EXPECT_EQ(frame_input.mouse_x, 251);
  EXPECT_EQ(frame_input.mouse_y, 261);
  EXPECT_EQ(record_state.replay_mouse_x, 250);
  frame_step();
  EXPECT_EQ(frame_input.key_code, 0);  // the next frame's own input is hidden again
  EXPECT_EQ(frame_input.raw_mouse_x, 250);
  EXPECT_EQ(record_state.picked_id, 99u);
  frame_step();
  EXPECT_EQ(record_state.cursor, 5);
  EXPECT_THROW(frame_step(), plat::test::ExitCalled);
}

TEST_F(Replay, PlayersOwnInputIsHiddenUnlessGreaterThan) {
  dir.write("t.rec", RecordBytes().entry(100, 0x30001, 1, RECORD_KIND_WORLD).entry(900000, 0x30001, 2, 1).str());
  frame_step();
  record_load("t.rec");
  scheduleMessage(elapsedMs(), plat::WM_KEYDOWN, 0x0D, 0x001C0001);  // Enter: console code 13
  frame_step();
  EXPECT_EQ(frame_input.key_code, 0);
  EXPECT_EQ(frame_input.scan_code, 0);
  EXPECT_EQ(input_get_key_code(), 13);  // still down in INPUT, hidden from the screens
  input_clear_keys();
  scheduleMessage(elapsedMs(), plat::WM_KEYDOWN, 0x73, 0x003E0001);  // F4: console code 62, '>'
  frame_step();
  EXPECT_EQ(frame_input.key_code, '>');
  input_clear_keys();
  scheduleMessage(elapsedMs(), plat::WM_KEYDOWN, 0x0D, 0x001C0001);
  record_state.hold = 1;
  frame_step();
  EXPECT_EQ(frame_input.key_code, 13);
}

// Holds: the login entry waits for the game login row; a world entry waits while the world
// dispatcher runs, a chat entry while the chat dispatcher does; replay_running other than 1 and
// the hold byte feed nothing. Released, the overdue entry comes at once and the stretch starts
// again from it, so the next ones keep their recorded spacing.
TEST_F(Replay, Holds) {
  dir.write("t.rec", RecordBytes()
                         .entry(100, 0x50001, 1, RECORD_KIND_WORLD)
                         .entry(200, 0x30001, 2, RECORD_KIND_WORLD)
                         .entry(300, 0x40000, 3, RECORD_KIND_CHAT)
                         .entry(400, 0x30001, 4, RECORD_KIND_WORLD)
                         .entry(400, 0x30001, 5, RECORD_KIND_WORLD)
                         .entry(700, 0x30001, 6, RECORD_KIND_WORLD)
                         .str());
  frame_step();
  record_load("t.rec");
  task_current_row = 8;
  for (int i = 0; i < 10; ++i) frame_step();
  EXPECT_TRUE(seen_world().empty());
  task_current_row = 9;
  frame_step();
  ASSERT_EQ(seen_world().size(), 1u);

  net_link.world_dispatching = 1;
  for (int i = 0; i < 10; ++i) frame_step();
  EXPECT_EQ(seen_world().size(), 1u);
  net_link.world_dispatching = 0;
  frame_step();
  EXPECT_EQ(seen_world().size(), 2u);

  net_link.chat_dispatching = 1;
  for (int i = 0; i < 10; ++i) frame_step();
  EXPECT_TRUE(seen_chat().empty());
  net_link.chat_dispatching = 0;
  frame_step();
  EXPECT_EQ(seen_chat().size(), 1u);

  replay_running.store(0);
  for (int i = 0; i < 20; ++i) frame_step();  // 620 ms: the rest is due
  EXPECT_EQ(seen_world().size(), 2u);
  record_state.hold = 1;
  replay_running.store(1);
  for (int i = 0; i < 5; ++i) frame_step();
  EXPECT_EQ(seen_world().size(), 2u);
  record_state.hold = 0;
  frame_step();
  EXPECT_EQ(seen_world().size(), 3u);
  frame_step();
  EXPECT_EQ(seen_world().size(), 4u);  // the same time: the next frame
  const uint32_t t = seen_world().back().frame_time;
  framesUntil([] { return seen_world().size() == 5; });
  ASSERT_EQ(seen_world().size(), 5u);
  EXPECT_GE(seen_world().back().frame_time - t, 300u);
  EXPECT_LE(seen_world().back().frame_time - t, 331u);
}

// Capture mode saves each frame as bmp/CAP%05d.BMP; the time spent saving does not advance the
// replay clock.
TEST_F(Replay, Capture) {
  dir.write("t.rec", RecordBytes()
                         .entry(1000, 0x30001, 1, RECORD_KIND_WORLD)
                         .entry(2000, 0x30001, 2, RECORD_KIND_WORLD)
                         .entry(9000, 0x30001, 3, RECORD_KIND_WORLD)
                         .str());
  frame_step();
  record_load("t.rec");
  record_state.capture = 1;
  frame_step();
  ASSERT_EQ(seen_world().size(), 1u);
  record_capture_frame();
  record_capture_frame();
  EXPECT_TRUE(dir.exists("bmp/CAP00000.BMP"));
  EXPECT_TRUE(dir.exists("bmp/CAP00001.BMP"));
  EXPECT_FALSE(dir.exists("bmp/CAP00002.BMP"));
  // Each frame now spends 400 ms saving (as a slow disk would) and 31 ms on everything else:
  // only the 31 ms count, so the entry 1 s later takes about 32 frames, not 3.
  int frames = 0;
  while (seen_world().size() < 2 && frames < 100) {
    hp().fakeClock().advance(431);
    record_state.capture_offset += 400;
    frame_step();
    ++frames;
  }
  EXPECT_GE(frames, 30);
  EXPECT_LE(frames, 34);
}

TEST_F(Replay, ReplayedCursorIsDrawnWithoutCapture) {
  dir.write("t.rec", RecordBytes().sample(100, 0, 30, 40).entry(900000, 0x30001, 2, 1).str());
  frame_step();
  record_load("t.rec");
  frame_step();
  ASSERT_EQ(record_state.replay_mouse_x, 30);
  EXPECT_NO_FATAL_FAILURE(record_capture_frame());
  EXPECT_FALSE(dir.exists("bmp/CAP00000.BMP"));
}

// ---- progress --------------------------------------------------------------------------------

TEST_F(Replay, Progress) {
  struct Row {
    uint32_t at, first, last;
    int32_t percent;
  };
  const Row rows[] = {
      {1000, 1000, 1999, 0},        {1500, 1000, 1999, 50},     {1999, 1000, 1999, 99},
      {2000, 1000, 1999, 100},      {5000, 1000, 999, 100},     {1000, 1000, 999, 0},
      {500, 1000, 1999, 0},         {0, 0, 0, 0},
      {1000 + 46800000u / 2, 1000, 1000 + 46800000u, 49},  // 13 hours: no 32-bit overflow
      {1000 + 46800000u, 1000, 1000 + 46800000u, 99},
  };
  for (const Row& r : rows) EXPECT_EQ(replay_percent_of(r.at, r.first, r.last), r.percent) << r.at << " " << r.first;
  EXPECT_EQ(replay_progress_percent(), 0);  // not replaying
}

// The pipe reader's thread reads only the published percent while the main thread replays,
// reloads and frees the entry table.
TEST_F(Replay, ProgressIsPublishedForAnotherThread) {
  RecordBytes file(RECORD_VERSION, RECORD_FORMAT, 1000, 1400);
  for (uint32_t t = 1000; t <= 1400; t += 40) file.entry(t, 0x30001, 0, RECORD_KIND_WORLD);
  dir.write("p.rec", file.str());
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0}, reads{0};
  int32_t highest = 0;
  std::thread reader([&] {
    while (!stop.load()) {
      const int32_t p = replay_progress_published.load(std::memory_order_relaxed);
      if (p < 0 || p > 100) ++bad;
      ++reads;
    }
  });
  for (int round = 0; round < 3; ++round) {
    frame_step();
    record_load("p.rec");
    for (int i = 0; i < 5; ++i) {
      frame_step();
      highest = std::max(highest, replay_progress_published.load());
    }
  }
  for (int i = 0; i < 100 && record_state.cursor < replay_entries.count; ++i) {
    frame_step();
    highest = std::max(highest, replay_progress_published.load());
  }
  // The reader has had its turn.
  for (int i = 0; i < 100000 && reads.load() == 0; ++i) std::this_thread::yield();
  stop = true;
  reader.join();
  EXPECT_EQ(bad.load(), 0);
  EXPECT_GT(reads.load(), 0);
  EXPECT_EQ(highest, 99);  // the last entry's time against last + 1
}

// The per-character block: saved and loaded by the character id; missing or short files load as
// zeros.
TEST_F(Recorder, DownloadState) {
  frame_input.own_char_id = 4711;
  for (size_t i = 0; i < DOWNLOAD_STATE_SIZE; ++i) download_state[i] = static_cast<uint8_t>(i + 1);
  download_state_save();
  EXPECT_EQ(hostFile("download/4711").size(), 56u);
  std::memset(download_state, 0xEE, sizeof download_state);
  download_state_load();
  for (size_t i = 0; i < DOWNLOAD_STATE_SIZE; ++i) EXPECT_EQ(download_state[i], i + 1);
  frame_input.own_char_id = 4712;
  download_state_load();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(download_state), 56), std::string(56, '\0'));
  dir.write("download/4713", "short");
  frame_input.own_char_id = 4713;
  download_state_load();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(download_state), 56), std::string(56, '\0'));
}

// ---- the command line ------------------------------------------------------------------------

TEST(EndToEnd, CommandLineNameRule) {
  struct Row {
    const char* text;
    const char* file;
  };
  const Row rows[] = {
      {"\"/g/main\" rec.rec", "rec.rec"},
      {"\"/g/main\"", ""},
      {"\"/g/main\" -steam", "-steam"},
      {"\"/g/main\" x", "x"},
      {"\"/g/main\" ", ""},  // two characters from the quote on
      {"\"/g/main\" record/rd2026-12-10-4-15-3.rec", "record/rd2026-12-10-4-15-3.rec"},
      {"\"/g/main\" \"a b.rec\"", ""},  // the last quote ends the text
      {"no quotes at all", ""},
      {"", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(record_file_from_command_line(r.text), r.file) << r.text;
}

}  // namespace
