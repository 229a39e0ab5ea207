// Stand-ins until the cake container is built: no file loads and no list is made, so the
// software cursor finds no frame.
#include "graphics/cake/cake.h"

int cake_load_frames_pak(const char*, CAKE_NODE** head) {
  if (head) *head = nullptr;
  return -2;
}

CAKE_NODE* cake_new_frame_node() { return nullptr; }

CAKE_FRAME* cake_clone_frame(const CAKE_FRAME*) { return nullptr; }

void cake_free_frame(CAKE_FRAME** frame) {
  if (frame) *frame = nullptr;
}

void cake_free_frame_list(CAKE_NODE** head) {
  if (head) *head = nullptr;
}
