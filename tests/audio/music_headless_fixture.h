// The music player on the headless device's graph: a main window that counts the music events
// (1289) it is sent, and time passing in 10 ms frames as the client's frame step runs it.
#pragma once
#include <gtest/gtest.h>

#include "audio/music_player.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "plat/winmsg.h"
#include "tests/support/headless_fixture.h"

namespace music_test {

inline int g_music_messages = 0;
inline int32_t count_music_messages(const plat::Msg& m) {
  if (m.message == plat::WM_MUSIC_EVENT) ++g_music_messages;
  return 0;
}

class MusicHeadless : public veldra_test::HeadlessTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.pumpStepMs = 0; }
  void SetUp() override {
    HeadlessTest::SetUp();
    g_music_messages = 0;
    plat::WindowDesc desc;
    desc.proc = count_music_messages;
    ASSERT_NE(plat::get().windows().create(desc), plat::kNoWindow);
  }
  plat::HeadlessAudio& audio() { return *hp().headlessAudio(); }  // with a device
  // Time passes in frames of 10 ms; each frame runs the music as the frame step does, and the
  // window takes its messages.
  void frames(int n, bool runEachFrame = true) {
    for (int i = 0; i < n; ++i) {
      if (runEachFrame) music_run();
      hp().fakeClock().advance(10);
      plat::Msg m;
      while (hp().events().peek(m)) hp().events().dispatch(m);
    }
  }
};

}  // namespace music_test
