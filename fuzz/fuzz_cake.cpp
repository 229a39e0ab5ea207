// Cake file bytes -> the whole-animation reader, one-frame reads and the count: any input ends
// with a list, a frame or a refusal, never a fault or a leak.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/cake/cake.h"

namespace {

void setUp() { fuzz_support::installHeadlessGameDir("cake"); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  static BITMAP16* target = bitmap16_create(48, 32);
  (void)ready;
  fuzz_support::writeGameFile("fuzz.cak", data, size);
  CAKE_NODE* head = nullptr;
  if (cake_load_frames_pak("fuzz.cak", &head) == 0) {
    for (CAKE_NODE* n = head; n; n = n->next) cake_draw_frame(-3, 5, 0, n->frame, target);
    int32_t l, t, r, b;
    cake_frames_extent(head, &l, &t, &r, &b);
    cake_draw_preview(2, 2, 40, 20, head, target);
  }
  cake_free_frame_list(&head);
  const int32_t count = cake_count_frames_file("fuzz.cak");
  for (int32_t i : {0, 1, count - 1, count}) {
    CAKE_FRAME* frame = nullptr;
    if (cake_read_frame("fuzz.cak", i, &frame) == 0) cake_draw_frame(0, 0, 0, frame, target);
    cake_free_frame(&frame);
  }
  return 0;
}
