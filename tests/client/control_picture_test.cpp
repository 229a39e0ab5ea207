// A control item's picture from a media file: the frame becomes the item's rectangle and is drawn
// at it, whatever the control's own place; a missing frame leaves the item without a picture.
#include <gtest/gtest.h>

#include "engine/control/control.h"
#include "engine/draw/draw.h"
#include "engine/edit/edit_box.h"
#include "graphics/bitmap/bitmap16.h"
#include "tests/support/headless_fixture.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace {

class ControlPicture : public veldra_test::HeadlessTest {};

TEST_F(ControlPicture, ItemDrawsItsFrame) {
  draw_install_pixel_ops(0xF800, 0x07E0, 0x001F);
  mdaw::FrameGeometry g;
  g.box_x = 20;
  g.box_y = 10;
  const auto frame = mdaw::img256_encode(mdaw::picture_fill(8, 6, {255, 255, 255, 255}), g);
  mdaw::MdaFile file;
  file.frame("box", frame);
  const auto bytes = mdaw::mda_build(file);
  dir.write("ui.mda", std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));

  CEditBox box(nullptr, 0);
  box.text_rect = {1, 2, 3, 4};
  EXPECT_EQ(box.add_image_item("ui.mda", 0), CTL_OK);
  ASSERT_EQ(box.items.count, 1);
  const CTL_RECT& d = box.items[0]->dest;
  EXPECT_EQ(d.left, 20);
  EXPECT_EQ(d.top, 10);
  EXPECT_EQ(d.right, 28);
  EXPECT_EQ(d.bottom, 16);
  EXPECT_EQ(box.rect.left, 20);
  EXPECT_EQ(box.caret_rect.right, 3);

  BITMAP16* bm = bitmap16_create(64, 32);
  bitmap16_fill(bm, 0);
  box.move_to(40, 20);  // the item ignores the control's place
  EXPECT_EQ(box.CControl::draw(bm), CTL_OK);
  EXPECT_NE(bm->rows[10][20], 0);
  EXPECT_NE(bm->rows[15][27], 0);
  EXPECT_EQ(bm->rows[16][27], 0);
  EXPECT_EQ(bm->rows[10][19], 0);
  bitmap16_free(&bm);

  CControlItem missing;
  EXPECT_EQ(missing.load_image("ui.mda", 5), CTL_FAIL);
  EXPECT_EQ(missing.image, nullptr);
}

}  // namespace
