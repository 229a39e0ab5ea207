// RLE payload bytes -> rle_read_pak; what passes validation is drawn through every variant at
// positions inside and across each edge, and must stay inside the target.
#include <cstddef>
#include <cstdint>

#include "core/pak/pak.h"
#include "fuzz/fuzz_support.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/rle/rle.h"

namespace {

void setUp() { fuzz_support::installHeadlessGameDir("rle"); }

void draw_all(const RLE_IMAGE* img, BITMAP16* t) {
  const int32_t w = static_cast<int32_t>(img->width), h = static_cast<int32_t>(img->height);
  const int32_t places[][2] = {{0, 0}, {3, 2}, {-w + 1, 1}, {1, -h + 1}, {31, 23}, {32 - w, 24 - h}, {-2, -2}};
  for (const auto& p : places) {
    const int32_t x = p[0], y = p[1];
    rle_draw(x, y, img, t);
    rle_draw_clipped(x, y, img, t);
    rle_draw_inside(x, y, img, t);
    rle_draw_to_pixels(x, y, img, t->rows[0], static_cast<int32_t>(t->pitch), 32, 24);
    rle_draw_min_alpha(x, y, img, t, 0x40);
    rle_draw_in_rect(x, y, -5, 3, 40, 20, img, t);
    rle_draw_outline(x, y, 0xFFFF, img, t);
    rle_draw_edge_level(x, y, img, t, 100);
    rle_draw_edges(x, y, 0xF800, img, t);
    rle_draw_silhouette(x, y, 0x07E0, img, t);
    rle_draw_checker(x, y, img, t);
    rle_draw_grey(x, y, img, t);
    rle_draw_grey2(x, y, img, t);
    rle_draw_grey_sub(x, y, img, t);
    rle_draw_grey_min(x, y, img, t);
    rle_draw_grey_max(x, y, img, t);
    rle_draw_mix(x, y, img, t);
    rle_draw_red(x, y, img, t);
    rle_draw_green(x, y, img, t);
    rle_draw_blue(x, y, img, t);
    rle_draw_yellow(x, y, img, t);
    rle_draw_blue_blend(x, y, img, t, 77);
    rle_draw_additive(x, y, img, t);
    rle_draw2(x, y, img, t);
    rle_draw_faded(x, y, img, t, 128);
    rle_draw_no_shadow(x, y, img, t);
    rle_draw_glow(x, y, img, t);
    rle_draw_scaled(x, y, 17, 9, img, t);
    rle_draw_scaled_grey(x, y, 40, 30, img, t);
    rle_draw_scaled_blue(x, y, 3, 50, img, t);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  static BITMAP16* target = bitmap16_create(32, 24);
  (void)ready;
  fuzz_support::writeGameFile("fuzz.rle", data, size);
  PAK_FILE* f = pak_fopen("fuzz.rle", "rb");
  if (!f) return 0;
  RLE_IMAGE* img = nullptr;
  if (rle_read_pak(f, &img) == 0) {
    if (!img || !rle_validate(img)) __builtin_trap();
    RLE_IMAGE* copy = rle_clone(img);
    rle_rebuild_rows(copy);  // recomputed rows need not validate; only the conversion walks run
    rle_to_555(copy);
    rle_free(&copy);
    draw_all(img, target);
  }
  rle_free(&img);
  pak_fclose(f);
  return 0;
}
