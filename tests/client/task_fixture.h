// Fixture of the task table, frame step and recorder tests: the message box fixture (a main
// window on the engine's procedure, DRAW, WINFONT, SYSTEM's error.txt and the real modal box,
// every other module at its start) with the fake dispatchers' logs empty; fake time moves only
// when something sleeps.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/game_main_state.h"
#include "client/game/replay_state.h"
#include "client/game/task_table.h"
#include "client/handover/replay_controls.h"
#include "client/net/net_link.h"
#include "client/record/record.h"
#include "client/settings/settings.h"
#include "client/sound/music_state.h"
#include "client/sound/sound_front.h"
#include "plat/bytes.h"
#include "plat/winmsg.h"
#include "tests/client/message_box_fixture.h"
#include "tests/support/fake_net_client.h"
#include "tests/support/recording_music.h"
#include "tests/support/scene_looks.h"
#include "ui/game_leave/game_leave_mode.h"
#include "world/scene/scene_chars.h"

namespace task_test {

// One message a fake dispatcher saw.
struct Seen {
  uint32_t id;
  int32_t arg;
  std::vector<uint8_t> payload;
  bool do_not_record;
  uint32_t frame_time;
  bool operator==(const Seen& o) const {
    return id == o.id && arg == o.arg && payload == o.payload && do_not_record == o.do_not_record;
  }
};

inline std::vector<Seen>& seen_world() {
  static std::vector<Seen> v;
  return v;
}
inline std::vector<Seen>& seen_chat() {
  static std::vector<Seen> v;
  return v;
}
inline int fake_world_dispatch(uint32_t id, int32_t arg, const uint8_t* p, uint32_t len, bool dnr) {
  seen_world().push_back({id, arg, p ? std::vector<uint8_t>(p, p + len) : std::vector<uint8_t>(), dnr,
                          frame_input.frame_time});
  return 0;
}
inline int fake_chat_dispatch(uint32_t id, int32_t arg, const uint8_t* p, uint32_t len, bool dnr) {
  seen_chat().push_back({id, arg, p ? std::vector<uint8_t>(p, p + len) : std::vector<uint8_t>(), dnr,
                         frame_input.frame_time});
  return 0;
}

class TaskTest : public box_test::BoxTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.pumpStepMs = 0; }

  void SetUp() override {
    BoxTest::SetUp();
    // The looks the scene's characters wear.
    for (int look = 0; look < 10; ++look) veldra_test::writeSceneLook(dir, look);
    seen_world().clear();
    seen_chat().clear();
  }
  void TearDown() override {
    net_unload_client();
    veldra_test::FakeNetModule::clear();
    BoxTest::TearDown();
    seen_world().clear();
    seen_chat().clear();
  }

  // Binds the fake network module; connects the links asked for.
  void bindLinks(bool world, bool chat) {
    veldra_test::FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    if (world) {
      ASSERT_EQ(net_connect_world(0x0100007F, 4000, fake_world_dispatch), 0);
    }
    if (chat) {
      ASSERT_EQ(net_connect_chat(0x0100007F, 4001, 0x30004, fake_chat_dispatch), 0);
    }
  }
  veldra_test::FakeNetClient* worldLink() { return veldra_test::FakeNetModule::world(); }
  veldra_test::FakeNetClient* chatLink() { return veldra_test::FakeNetModule::chat(); }

  // A click that dismisses a box opened before atMs (ms after the clock's start).
  void scheduleClick(uint32_t atMs) { scheduleMessage(atMs, plat::WM_LBUTTONUP, 0, (300 << 16) | 400); }

  // How often error.txt holds the text.
  int logged(const std::string& text) const {
    const std::string log = errorTxt();
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  std::string hostFile(const std::string& rel) const { return dir.exists(rel) ? dir.read(rel) : std::string(); }

  uint32_t now() { return hp().clock().ms(); }

  veldra_test::RecordingMusicPlayer music;
};

// The bytes of a record file: the 256 zero bytes, a header and entries.
struct RecordBytes {
  plat::ByteWriter w;
  explicit RecordBytes(uint32_t version = RECORD_VERSION, uint8_t format = RECORD_FORMAT, uint32_t first = 0,
                       uint32_t last = 0) {
    w.zeros(RECORD_LEAD_SIZE + 19);
    w.u8(format);
    w.u32(version);
    w.u32(1700000000);
    w.u32(first);
    w.u32(last);
    w.zeros(296);
  }
  RecordBytes& entry(uint32_t time, uint32_t code, uint32_t arg, uint32_t kind, const std::vector<uint8_t>& payload = {},
                     uint32_t tag = RECORD_TAG) {
    w.u32(tag);
    w.u32(time);
    w.u32(code);
    w.u32(arg);
    w.u32(kind);
    w.u32(static_cast<uint32_t>(payload.size()));
    w.bytes(payload.data(), payload.size());
    return *this;
  }
  // An input sample of a key code at a raw and a scaled position.
  RecordBytes& sample(uint32_t time, uint8_t key, int32_t x = 0, int32_t y = 0, uint8_t event = 0) {
    plat::ByteWriter p;
    p.i32(x);
    p.i32(y);
    p.i32(x + 1);
    p.i32(y + 1);
    p.u8(event);
    p.u8(key);
    p.u8(0);
    p.u8(0);
    p.u8(0);
    p.zeros(3);
    return entry(time, 0, 0, RECORD_KIND_INPUT, p.data());
  }
  std::string str() const { return std::string(w.data().begin(), w.data().end()); }
};

}  // namespace task_test
