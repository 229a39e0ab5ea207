// The clipboard of the headless backend: round trip, the character-boundary cut and the two
// failure switches.
#include <gtest/gtest.h>

#include "tests/support/headless_fixture.h"

namespace {

class Clipboard : public veldra_test::HeadlessTest {};

TEST_F(Clipboard, Platform) {
  plat::IClipboard& board = plat::get().clipboard();
  EXPECT_FALSE(board.hasText());
  EXPECT_EQ(board.getText(512), "");
  const std::string zh = "ab\xD6\xD0\xCE\xC4";
  EXPECT_TRUE(board.setText(zh));
  EXPECT_TRUE(board.hasText());
  EXPECT_EQ(board.getText(512), zh);
  EXPECT_EQ(board.getText(4), "ab\xD6\xD0");
  EXPECT_EQ(board.getText(3), "ab");  // never half a character

  // Long texts are kept whole.
  std::string big;
  for (int i = 0; i < 600; ++i) big += "\xD6\xD0";
  EXPECT_TRUE(board.setText(big));
  EXPECT_EQ(board.getText(512)->size(), 512u);
  EXPECT_EQ(board.getText(big.size()), big);
  EXPECT_EQ(board.getText(511)->size(), 510u);

  plat::MemoryClipboard& memory = hp().memoryClipboard();
  memory.failSet = true;
  EXPECT_FALSE(board.setText("x"));
  EXPECT_EQ(board.getText(10000), big);
  memory.failSet = false;
  memory.failOpen = true;
  EXPECT_EQ(board.getText(10), std::nullopt);
  memory.failOpen = false;

  EXPECT_TRUE(board.clear());
  EXPECT_FALSE(board.hasText());
}

}  // namespace
