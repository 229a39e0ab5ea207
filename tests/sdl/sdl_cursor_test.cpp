// The SDL backend's cursors and text input under a dummy video driver: files from
// tools/curwrite become colour cursors, animated ones step in the pump, and placing the input
// method's window never fails.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plat/platform.h"
#include "plat/test.h"
#include "tests/sdl/sdl_window_fixture.h"
#include "tools/curwrite/curwrite.h"

namespace {

class SdlCursors : public SdlWindowTest {
 protected:
  SdlCursors() : SdlWindowTest("cursor") {}
  void write(const std::string& name, const std::vector<uint8_t>& bytes) {
    dir.write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
};

TEST_F(SdlCursors, FilesBecomeCursorsAndBadFilesGiveNone) {
  if (window == plat::kNoWindow) GTEST_SKIP() << "no video driver";
  curwrite::AniOptions o;
  o.displayRate = 1;
  write("SYSTEM/MOUSE1.ani",
        curwrite::writeAni({curwrite::arrowPicture(32, 0xFF0000), curwrite::arrowPicture(32, 0xFF00)}, o));
  write("SYSTEM/bad.cur", {0, 0, 2, 0, 1, 0});
  plat::ICursorSystem& c = plat::get().cursors();
  const plat::CursorId arrow = c.arrow();
  EXPECT_EQ(c.arrow(), arrow);
  const plat::CursorId id = c.loadFile("system\\mouse1.ani");
  ASSERT_NE(id, 0u);
  EXPECT_EQ(c.loadFile("SYSTEM\\bad.cur"), 0u);
  EXPECT_EQ(c.loadFile("SYSTEM\\none.cur"), 0u);
  c.set(id);
  c.show(true);
  plat::Msg m;
  for (int i = 0; i < 5; ++i) {
    while (plat::get().events().peek(m)) plat::get().events().dispatch(m);
    plat::get().clock().sleepMs(20);  // more than a jiffy: the pump steps the frames
  }
  c.setPosition(plat::Point{10, 10});
  (void)c.position();
  plat::get().textInput().setCaretRect(plat::kNoWindow, plat::Rect{10, 20, 110, 40});
  EXPECT_FALSE(plat::get().textInput().composing());
  c.set(arrow);
  c.free(id);
  c.free(arrow);  // the shared arrow stays
  c.set(arrow);
}

}  // namespace
