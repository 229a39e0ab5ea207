// Text drawing over arbitrary bytes: x and y (anywhere, including far outside), the style and
// the text, drawn into a small bitmap with the fake rasteriser's known shapes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "plat/glyphs.h"

namespace {
BITMAP16* target() {
  static BITMAP16* bm = [] {
    plat::setGlyphs(std::make_unique<plat::FakeRasteriser>());
    winfont_reset();
    font_set_face_kind(4);
    winfont_module_init();
    return bitmap16_create(37, 23);
  }();
  return bm;
}

int32_t read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return static_cast<int32_t>(v);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  BITMAP16* bm = target();
  // Small positions most of the time, so that glyphs land on and around the bitmap.
  int32_t x = read32(data), y = read32(data + 4);
  if (!(data[8] & 0x80)) {
    x = static_cast<int8_t>(x) - 16;
    y = static_cast<int8_t>(y) - 16;
  }
  const uint32_t style = (data[8] & 1) ? 1u : static_cast<uint32_t>(x) << 16;
  std::vector<char> text(data + 9, data + size);
  text.push_back(0);
  font_draw_text(x, y, text.data(), style, (data[8] & 2) ? nullptr : bm);
  const WINFONT_STATE& s = winfont_state();
  if (s.font_slot < 0 || s.font_slot > 5 || s.colour_index < 0 || s.colour_index > 15) __builtin_trap();
  return 0;
}
