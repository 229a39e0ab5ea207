// The SDL clipboard under a dummy video driver: code page 936 text crosses the UTF-8 edge
// unchanged, where the driver offers a clipboard.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plat/platform.h"
#include "plat/test.h"
#include "tests/sdl/sdl_window_fixture.h"

namespace {

class SdlClipboard : public SdlWindowTest {
 protected:
  SdlClipboard() : SdlWindowTest("clipboard") {}
};

TEST_F(SdlClipboard, RoundTrip) {
  if (window == plat::kNoWindow) GTEST_SKIP() << "no video driver";
  plat::IClipboard& board = plat::get().clipboard();
  const std::string zh = "ab\xD6\xD0\xCE\xC4";
  if (!board.setText(zh) || !board.hasText()) GTEST_SKIP() << "the driver keeps no clipboard";
  EXPECT_EQ(board.getText(512), zh);
  EXPECT_EQ(board.getText(3), "ab");
}

}  // namespace
