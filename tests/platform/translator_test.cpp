// The message translator both backends share: window events in, Windows records out.
#include <gtest/gtest.h>

#include <set>

#include "plat/cp936.h"
#include "plat/winmsg.h"
#include "platform/common/translator.h"

namespace {

using plat::common::RawEvent;
using K = RawEvent::Kind;

struct FakeHost : plat::common::TranslatorHost {
  std::set<plat::WindowId> windows{1, 2};
  std::set<plat::WindowId> acceptFiles{1};
  plat::WindowId main = 1;
  plat::WindowId mainWindowId() override { return main; }
  bool windowExists(plat::WindowId w) override { return windows.count(w) != 0; }
  bool windowAcceptsFiles(plat::WindowId w) override { return acceptFiles.count(w) != 0; }
  plat::Size windowClientSize(plat::WindowId) override { return {800, 600}; }
  uint32_t nowMs() override { return 1234; }
};

class MessageTranslator : public ::testing::Test {
 protected:
  FakeHost host;
  plat::common::Translator t{host};
  std::vector<plat::Msg> all() {
    std::vector<plat::Msg> out;
    plat::Msg m;
    while (t.pop(m)) out.push_back(m);
    return out;
  }
};

TEST_F(MessageTranslator, WindowEventsBecomeTheirRecords) {
  struct Case {
    RawEvent in;
    plat::WindowId window;
    uint32_t message, wParam;
    int32_t lParam;
  } cases[] = {
      {RawEvent(K::CloseRequest, 2), 2, plat::WM_CLOSE, 0, 0},
      {RawEvent(K::Quit), 1, plat::WM_CLOSE, 0, 0},  // a signal closes the main window
      {RawEvent(K::Minimised, 1), 1, plat::WM_SIZE, plat::SIZE_MINIMIZED, 0},
      {RawEvent(K::Restored, 1), 1, plat::WM_SIZE, plat::SIZE_RESTORED, (600 << 16) | 800},
      {RawEvent(K::Shown, 2), 2, plat::WM_SIZE, plat::SIZE_RESTORED, (600 << 16) | 800},
      {RawEvent(K::Moved, 1, {-5, 30}), 1, plat::WM_MOVE, 0, (30 << 16) | 0xFFFB},
      {RawEvent(K::Exposed, 2), 2, plat::WM_PAINT, 0, 0},
  };
  for (const auto& c : cases) {
    t.feed(c.in);
    auto got = all();
    ASSERT_EQ(got.size(), 1u) << static_cast<int>(c.in.kind);
    EXPECT_EQ(got[0].window, c.window);
    EXPECT_EQ(got[0].message, c.message);
    EXPECT_EQ(got[0].wParam, c.wParam);
    EXPECT_EQ(got[0].lParam, c.lParam);
    EXPECT_EQ(got[0].time, 1234u);
  }
  // Events for windows that are not ours give nothing.
  t.feed(RawEvent(K::CloseRequest, 9));
  t.feed(RawEvent(K::Minimised, 9));
  EXPECT_TRUE(all().empty());
}

TEST_F(MessageTranslator, PaintWaitsUntilNothingElseIsQueuedAndIsNotRepeated) {
  t.feed(RawEvent(K::Exposed, 1));
  t.feed(RawEvent(K::Exposed, 1));
  t.feed(RawEvent(K::Minimised, 1));
  auto got = all();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, plat::WM_SIZE);
  EXPECT_EQ(got[1].message, plat::WM_PAINT);
}

TEST_F(MessageTranslator, ActivationReportsTheApplicationNotTheWindow) {
  t.feed(RawEvent(K::FocusGained, 1));
  t.endBatch();
  auto got = all();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, plat::WM_ACTIVATEAPP);
  EXPECT_EQ(got[0].wParam, 1u);
  // Focus moving from the main window to the second one: no change for the application.
  t.feed(RawEvent(K::FocusLost, 1));
  t.feed(RawEvent(K::FocusGained, 2));
  t.endBatch();
  EXPECT_TRUE(all().empty());
  t.feed(RawEvent(K::FocusLost, 2));
  t.endBatch();
  got = all();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].window, 1u);  // to the main window
  EXPECT_EQ(got[0].wParam, 0u);
  // A focused window that goes away deactivates the application.
  t.feed(RawEvent(K::FocusGained, 2));
  t.endBatch();
  all();
  host.windows.erase(2);
  t.windowGone(2);
  t.endBatch();
  got = all();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wParam, 0u);
}

TEST_F(MessageTranslator, ADropGroupIsOneRecordWithCodePage936Names) {
  const std::string utf8Name = "/tmp/\xE4\xB8\xAD.txt";  // U+4E2D
  t.feed(RawEvent(K::DropBegin, 1));
  RawEvent f(K::DropFile, 1);
  f.text = utf8Name;
  t.feed(f);
  f.text = "/tmp/b";
  t.feed(f);
  t.feed(RawEvent(K::DropComplete, 1));
  auto got = all();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, plat::WM_DROPFILES);
  const plat::DropGroup* g = t.drops().get(got[0].wParam);
  ASSERT_NE(g, nullptr);
  ASSERT_EQ(g->namesCp936.size(), 2u);
  EXPECT_EQ(g->namesCp936[0], plat::cp936::fromUtf8(utf8Name));
  EXPECT_EQ(g->namesCp936[0], "/tmp/\xD6\xD0.txt");
  EXPECT_EQ(g->namesCp936[1], "/tmp/b");
  t.drops().finish(got[0].wParam);
  EXPECT_EQ(t.drops().get(got[0].wParam), nullptr);
  // A window that does not accept files gets nothing, and an empty group is no drop.
  t.feed(RawEvent(K::DropBegin, 2));
  f.window = 2;
  t.feed(f);
  t.feed(RawEvent(K::DropComplete, 2));
  t.feed(RawEvent(K::DropBegin, 1));
  t.feed(RawEvent(K::DropComplete, 1));
  EXPECT_TRUE(all().empty());
}

TEST_F(MessageTranslator, PostedRecordsReachOnlyOurWindowsUnchanged) {
  RawEvent p(K::Posted, plat::kNoWindow);
  p.message = plat::WM_MUSIC_EVENT;
  p.wParam = 0xFFFFFFFFu;
  p.lParam = -7;
  t.feed(p);
  p.window = 42;
  t.feed(p);
  auto got = all();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].window, 1u);
  EXPECT_EQ(got[0].message, plat::WM_MUSIC_EVENT);
  EXPECT_EQ(got[0].wParam, 0xFFFFFFFFu);
  EXPECT_EQ(got[0].lParam, -7);
}

TEST_F(MessageTranslator, FrameLimitClosesOnceAndWaitsForAWindow) {
  t.setFrameLimit(2);
  host.main = plat::kNoWindow;
  t.emptyPump();
  t.emptyPump();  // the limit, but no window yet
  EXPECT_TRUE(all().empty());
  host.main = 1;
  t.emptyPump();
  auto got = all();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, plat::WM_CLOSE);
  for (int i = 0; i < 5; ++i) t.emptyPump();
  EXPECT_TRUE(all().empty());
}

}  // namespace
