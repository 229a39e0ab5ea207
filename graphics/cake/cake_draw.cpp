// Drawing cake frames: one frame, the scaled preview with its label, and the frames' extent.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "graphics/cake/cake.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "graphics/rle/rle.h"

namespace {
CakeTextFn text_drawer = nullptr;
}

void cake_set_text_drawer(CakeTextFn fn) { text_drawer = fn; }

void cake_draw_frame(int32_t x, int32_t y, int32_t, const CAKE_FRAME* frame, BITMAP16* target) {
  if (!frame || !frame->rle || !target) return;
  // Before DRAW installs its table the plain routine draws.
  auto* draw = blit_ops.rle_draw ? blit_ops.rle_draw : rle_draw;
  // Offsets come from files: a sum outside 32 bits lies off any target.
  const int64_t px = static_cast<int64_t>(x) + frame->offset_x, py = static_cast<int64_t>(y) + frame->offset_y;
  if (px < INT32_MIN || px > INT32_MAX || py < INT32_MIN || py > INT32_MAX) return;
  draw(static_cast<int32_t>(px), static_cast<int32_t>(py), frame->rle, target);
}

void cake_draw_preview(int32_t x, int32_t y, int32_t w, int32_t h, const CAKE_NODE* head, BITMAP16* target) {
  if (!head || !target || !head->next || !head->next->frame || !head->next->frame->rle) return;
  const RLE_IMAGE* image = head->next->frame->rle;
  if (image->width == 0 || image->height == 0) return;
  const float sx = w ? static_cast<float>(w) / static_cast<float>(image->width) : 1.0f;
  const float sy = h ? static_cast<float>(h) / static_cast<float>(image->height) : 1.0f;
  const float scale = std::min(sx, sy);
  rle_draw_scaled(x, y, static_cast<int32_t>(static_cast<float>(image->width) * scale),
                  static_cast<int32_t>(static_cast<float>(image->height) * scale), image, target);
  if (!text_drawer) return;
  char number[64];
  std::snprintf(number, sizeof number, "%.3f", static_cast<double>(scale));
  char label[96];
  std::snprintf(label, sizeof label, "~C0~O3%s~C0~O0", number);
  text_drawer(0, 0, "~Z2", 1, target);
  const auto len = static_cast<int32_t>(std::strlen(number));
  text_drawer(x + w - (8 * len + 4), y + h - 18, label, 1, target);
}

int cake_frames_extent(const CAKE_NODE* head, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom) {
  if (!head) return -1;
  int64_t l = 0, t = 0, r = 0, b = 0;
  bool any = false;
  for (const CAKE_NODE* node = head->next; node; node = node->next) {
    const CAKE_FRAME* f = node->frame;
    if (!f || !f->rle) continue;
    const int64_t fl = -static_cast<int64_t>(f->anchor_x), ft = -static_cast<int64_t>(f->anchor_y);
    const int64_t fr = fl + f->rle->width, fb = ft + f->rle->height;
    if (!any) {
      l = fl, t = ft, r = fr, b = fb;
      any = true;
    } else {
      l = std::min(l, fl), t = std::min(t, ft), r = std::max(r, fr), b = std::max(b, fb);
    }
  }
  auto clamp32 = [](int64_t v) { return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  if (left) *left = clamp32(l);
  if (top) *top = clamp32(t);
  if (right) *right = clamp32(r);
  if (bottom) *bottom = clamp32(b);
  return 0;
}
