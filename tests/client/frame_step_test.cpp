// The frame step: pacing and ticks, the zoom mapping, the input sample, the link polls, the
// recorder's and the replay's hooks and the music step.
#include <gtest/gtest.h>

#include <random>

#include "client/sound/sound_front.h"
#include "client/startup/client_hooks.h"
#include "tests/audio/wav_builder.h"
#include "tests/client/task_fixture.h"

namespace {

using plat::NetPoll;

class FrameStep : public task_test::TaskTest {};

TEST_F(FrameStep, Pacing) {
  plat::FakeClock& clock = hp().fakeClock();
  EXPECT_EQ(frame_step(), 1u);  // paced against frame time 0: no sleep
  const uint32_t t = clock.ms();
  EXPECT_EQ(frame_input.frame_time, t);
  clock.advance(5);
  EXPECT_EQ(frame_step(), 2u);  // sleeps the other 26 ms
  EXPECT_EQ(frame_input.frame_time, t + 31);
  EXPECT_EQ(frame_input.elapsed_ticks, 31);
  clock.advance(40);
  EXPECT_EQ(frame_step(), 3u);  // late: no sleep; 40 plus the remainder 31 % 7
  EXPECT_EQ(frame_input.frame_time, t + 71);
  EXPECT_EQ(frame_input.elapsed_ticks, 43);
  EXPECT_EQ(frame_input.tick_remainder, 43 % 7);
  EXPECT_EQ(frame_counter(), 3u);
}

TEST_F(FrameStep, FirstFrameAtOneMillion) {
  hp().fakeClock().set(1000000);
  frame_step();
  EXPECT_EQ(hp().clock().ms(), 1000000u);  // no sleep
  EXPECT_EQ(frame_input.elapsed_ticks, 16960);  // 1,000,000 modulo 65536
  EXPECT_EQ(frame_input.tick_remainder, 6);
}

TEST_F(FrameStep, RemainderStaysBelowSeven) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<uint32_t> gap(0, 200);
  frame_step();
  for (int i = 0; i < 500; ++i) {
    const uint32_t before = frame_input.frame_time;
    const uint8_t remainder = frame_input.tick_remainder;
    hp().fakeClock().advance(gap(rng));
    frame_step();
    const uint32_t elapsed = frame_input.frame_time - before;
    ASSERT_GE(elapsed, 31u);
    ASSERT_EQ(frame_input.elapsed_ticks, static_cast<uint16_t>(elapsed + remainder));
    ASSERT_LT(frame_input.tick_remainder, 7);
    ASSERT_EQ(frame_input.tick_remainder, frame_input.elapsed_ticks % 7);
  }
}

TEST_F(FrameStep, Zoom) {
  struct Row {
    int32_t z, x, y, wx, wy;
  };
  const Row rows[] = {{14, 0, 0, 112, 84},       {14, 800, 600, 688, 516}, {14, -10, -10, 105, 77},
                      {1, 799, 599, 791, 593},   {0, 123, 456, 123, 456},  {-3, 5, 6, 5, 6}};
  for (const Row& r : rows) {
    int32_t x = 0, y = 0;
    frame_zoom_mouse(r.z, r.x, r.y, &x, &y);
    EXPECT_EQ(x, r.wx) << r.z << " " << r.x;
    EXPECT_EQ(y, r.wy) << r.z << " " << r.y;
  }
  // Through the frame step: the raw position from INPUT, the mapped one beside it.
  scene_zoom_level = 14;
  scheduleMessage(elapsedMs(), plat::WM_MOUSEMOVE, 0, (600 << 16) | 800);
  frame_step();
  EXPECT_EQ(frame_input.raw_mouse_x, 800);
  EXPECT_EQ(frame_input.raw_mouse_y, 600);
  EXPECT_EQ(frame_input.mouse_x, 688);
  EXPECT_EQ(frame_input.mouse_y, 516);
  EXPECT_EQ(frame_input.event_code, 241);
}

TEST_F(FrameStep, SamplesInputAndTheSceneIndex) {
  frame_input.own_char_id = 77;
  frame_input.own_scene_index = 5;
  scheduleMessage(elapsedMs(), plat::WM_KEYDOWN, 0x0D, 0x001C0001);
  frame_step();
  EXPECT_EQ(frame_input.key_code, 13);
  EXPECT_EQ(frame_input.scan_code, 141);
  EXPECT_EQ(frame_input.own_scene_index, -2);  // nobody in the scene
  // While replaying, the replay step owns the position.
  replaying = 1;
  replay_entries.append(REPLAY_ENTRY{0x70000000u, 0, 0, RECORD_KIND_WORLD, 0, 0});  // far in the future
  record_state.replay_mouse_x = 7;
  record_state.replay_mouse_y = 9;
  scheduleMessage(elapsedMs(), plat::WM_MOUSEMOVE, 0, (50 << 16) | 200);
  frame_step();
  frame_step();
  EXPECT_EQ(frame_input.raw_mouse_x, 7);
  EXPECT_EQ(frame_input.raw_mouse_y, 9);
  EXPECT_EQ(frame_input.mouse_x, 7);  // mapped from the replayed raw position
}

// Polls: outside a scene once; in a scene up to 16 times with 3 ms pauses, stopping at the
// first poll that reports anything; a lost link sends the player back to the login.
TEST_F(FrameStep, Polls) {
  bindLinks(true, true);
  frame_step();  // the first frame does not sleep for pacing
  const uint32_t pace_end = now();

  hp().fakeClock().advance(100);
  uint32_t t = now();
  frame_step();
  EXPECT_EQ(worldLink()->polls, 2);
  EXPECT_EQ(now(), t);  // late frame, one poll, no pause

  scene_in_scene = 1;
  hp().fakeClock().advance(100);
  t = now();
  worldLink()->polls = 0;
  chatLink()->polls = 0;
  frame_step();
  EXPECT_EQ(worldLink()->polls, 16);
  EXPECT_EQ(chatLink()->polls, 16);
  EXPECT_EQ(now() - t, 16u * 3u);

  hp().fakeClock().advance(100);
  t = now();
  worldLink()->polls = 0;
  worldLink()->outcomes = {NetPoll::Idle, NetPoll::Idle, NetPoll::Delivered};
  frame_step();
  EXPECT_EQ(worldLink()->polls, 3);
  EXPECT_EQ(now() - t, 2u * 3u);

  // Lost inside the game main task: no box, back to the login.
  task_current_row = 10;
  hp().fakeClock().advance(100);
  worldLink()->polls = 0;
  worldLink()->outcomes = {NetPoll::Lost};
  frame_step();
  EXPECT_EQ(worldLink()->polls, 1);
  EXPECT_EQ(game_leave_mode.flag, 1);
  EXPECT_EQ(game_leave_mode.mode, GAME_LEAVE_TO_LOGIN);
  EXPECT_EQ(net_link.world_connected, 0);
  EXPECT_EQ(net_link.chat_connected, 0);
  EXPECT_EQ(net_link.own_disconnect, 0);
  (void)pace_end;
}

// A recorder with a file, mirroring off.
class FrameStepRecording : public FrameStep {
 protected:
  void SetUp() override {
    FrameStep::SetUp();
    record_start();
    ASSERT_EQ(record_state.recording, 1);
    path = record_state.file_name;
  }
  size_t entries() {
    const std::string bytes = hostFile(path);
    return bytes.size() < RECORD_ENTRIES_AT ? 0 : (bytes.size() - RECORD_ENTRIES_AT) / (RECORD_HEAD_SIZE + RECORD_SAMPLE_SIZE);
  }
  std::string path;
};

TEST_F(FrameStepRecording, RecordHooks) {
  struct Row {
    const char* what;
    uint32_t message, wParam;
    int32_t lParam;
    uint8_t event;
    bool recorded;
  };
  const Row rows[] = {
      {"move", plat::WM_MOUSEMOVE, 0, (5 << 16) | 5, 241, false},
      {"move with left", plat::WM_MOUSEMOVE, plat::MK_LBUTTON, (5 << 16) | 6, 242, true},
      {"move with right", plat::WM_MOUSEMOVE, plat::MK_RBUTTON, (5 << 16) | 7, 243, true},
      {"left down", plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, (5 << 16) | 8, 244, true},
      {"left up", plat::WM_LBUTTONUP, 0, (5 << 16) | 9, 245, true},
      {"left double", plat::WM_LBUTTONDBLCLK, plat::MK_LBUTTON, (5 << 16) | 9, 246, true},
      {"right down", plat::WM_RBUTTONDOWN, plat::MK_RBUTTON, (5 << 16) | 9, 247, true},
      {"right up", plat::WM_RBUTTONUP, 0, (5 << 16) | 9, 248, true},
      {"right double", plat::WM_RBUTTONDBLCLK, plat::MK_RBUTTON, (5 << 16) | 9, 249, true},
      {"middle down", plat::WM_MBUTTONDOWN, plat::MK_MBUTTON, (5 << 16) | 9, 250, false},
      {"key", plat::WM_KEYDOWN, 0x0D, 0x001C0001, 0, true},
      {"scan code only", plat::WM_KEYDOWN, 0x41, 0x001E0001, 0, true},
  };
  for (bool flag : {false, true}) {
    record_state.first_message_recorded = flag ? 1 : 0;
    for (const Row& r : rows) {
      SCOPED_TRACE(std::string(r.what) + (flag ? " with the flag" : " without the flag"));
      const size_t before = entries();
      scheduleMessage(elapsedMs(), r.message, r.wParam, r.lParam);
      frame_step();
      if (r.message != plat::WM_KEYDOWN) {
        EXPECT_EQ(frame_input.event_code, r.event);
      }
      EXPECT_EQ(entries(), before + (flag && r.recorded ? 1 : 0));
      // Buttons up and the event used: a held button reads as a move with it on every frame.
      input_on_mouse_message(plat::WM_MOUSEMOVE, 0, r.lParam);
      input_clear_key();
      input_clear_keys();
      frame_step();  // nothing pending: nothing recorded
      EXPECT_EQ(entries(), before + (flag && r.recorded ? 1 : 0));
    }
  }
  // The last sample holds the key's frame.
  scheduleMessage(elapsedMs(), plat::WM_KEYDOWN, 0x0D, 0x001C0001);
  frame_step();
  const std::string bytes = hostFile(path);
  plat::ByteReader r(bytes.data() + bytes.size() - 48, 48);
  EXPECT_EQ(r.u32(), RECORD_TAG);
  EXPECT_EQ(r.u32(), frame_input.frame_time);
  EXPECT_EQ(r.u32(), 0u);
  EXPECT_EQ(r.u32(), 0u);
  EXPECT_EQ(r.u32(), RECORD_KIND_INPUT);
  EXPECT_EQ(r.u32(), 24u);
  EXPECT_EQ(r.i32(), frame_input.raw_mouse_x);
  EXPECT_EQ(r.i32(), frame_input.raw_mouse_y);
  EXPECT_EQ(r.i32(), frame_input.mouse_x);
  EXPECT_EQ(r.i32(), frame_input.mouse_y);
  EXPECT_EQ(r.u8(), frame_input.event_code);
  EXPECT_EQ(r.u8(), 13);
  EXPECT_EQ(r.u8(), 141);
}

// While recording (or mirroring) the replay step never runs, even before the first message.
TEST_F(FrameStepRecording, ReplayStepNeverRunsWhileRecording) {
  replaying = 1;
  replay_entries.append(REPLAY_ENTRY{0, 0, 0, RECORD_KIND_WORLD, 0, 0});
  record_dispatch.world = task_test::fake_world_dispatch;
  scheduleMessage(elapsedMs(), plat::WM_KEYDOWN, 0x0D, 0x001C0001);
  frame_step();
  frame_step();
  EXPECT_EQ(record_state.cursor, 0);
  EXPECT_TRUE(task_test::seen_world().empty());
  EXPECT_EQ(frame_input.key_code, 13);  // not hidden by a replay
  record_state.recording = 0;
  record_state.mirror = 1;
  frame_step();
  EXPECT_EQ(record_state.cursor, 0);
  record_state.mirror = 0;
  frame_step();
  EXPECT_EQ(record_state.cursor, 1);
}

TEST_F(FrameStep, Music) {
  auto count = [&](const char* op) { return music.count(op); };
  music_playing = 1;
  settings.music = 1;
  frame_step();
  EXPECT_EQ(count("music_run"), 1);
  EXPECT_EQ(count("music_pause"), 0);
  hp().setMinimised(window, true);
  frame_step();
  EXPECT_EQ(count("music_pause"), 1);
  EXPECT_EQ(count("music_run"), 1);
  hp().setMinimised(window, false);

  music.clear();
  settings.music = 0;
  frame_step();
  EXPECT_TRUE(music.calls.empty());

  settings.music = 1;
  music_event_flag = 1;
  music_loop_flag = 0;
  frame_step();
  EXPECT_EQ(count("music_poll_events"), 0);  // not looping: left for the front
  EXPECT_EQ(music_event_flag, 1);
  music_loop_flag = 1;
  frame_step();
  frame_step();
  EXPECT_EQ(count("music_poll_events"), 1);
  EXPECT_EQ(music_event_flag, 0);
}

// With the real player a tune ends, its message reaches the window, the step polls and the tune
// starts again: three 100 ms plays in two thirds of a second.
TEST_F(FrameStep, ATuneLoopsThroughItsMessage) {
  music_player_set_hook(nullptr);
  engine_state().hooks.music_event = client_music_event;  // as the client's start installs it
  std::vector<uint8_t> pcm;
  for (int i = 0; i < 2205; ++i) {
    pcm.push_back(0x88);  // 5000
    pcm.push_back(0x13);
  }
  const std::vector<uint8_t> wave =
      wav_test::riffWave({{"fmt ", wav_test::fmtPayload(1, 22050, 44100, 2, 16)}, {"data", pcm}});
  dir.write("MUSIC/loop.wav", std::string(wave.begin(), wave.end()));
  settings.music = 1;
  settings.volume = 100;
  ASSERT_EQ(game_music_play("MUSIC\\loop.wav", 1, 100), 0);
  ASSERT_NE(hp().headlessAudio(), nullptr);
  hp().headlessAudio()->startRecording();
  for (int i = 0; i < 22; ++i) frame_step();
  const std::vector<int16_t> rec = hp().headlessAudio()->recording();
  int plays = 0;
  size_t run = 0;
  for (size_t i = 0; i < rec.size(); i += 2) {
    run = rec[i] == 5000 ? run + 1 : 0;
    plays += run == 2205;  // a whole play of the tune
  }
  EXPECT_GE(plays, 3);
  EXPECT_EQ(music_event_flag, 0);
}

}  // namespace
