// Bitmaps owned by a unique_ptr, for the graphics tests.
#pragma once
#include <cstdint>
#include <memory>

#include "graphics/bitmap/bitmap16.h"

namespace gfxt {

struct FreeBitmap {
  void operator()(BITMAP16* b) const { bitmap16_free(&b); }
};
using Bitmap = std::unique_ptr<BITMAP16, FreeBitmap>;
struct FreeBitmapA {
  void operator()(BITMAP16A* b) const { bitmap16a_free(&b); }
};
using BitmapA = std::unique_ptr<BITMAP16A, FreeBitmapA>;

inline Bitmap make_bitmap(int32_t w, int32_t h, uint16_t fill = 0) {
  Bitmap b(bitmap16_create(w, h));
  bitmap16_fill(b.get(), fill);
  return b;
}

}  // namespace gfxt
