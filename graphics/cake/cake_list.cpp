// Cake frame lists: frames, nodes, copies and the list walks.
#include <cstdlib>

#include "graphics/cake/cake.h"
#include "graphics/poly/poly.h"
#include "graphics/poly/poly_geom.h"
#include "graphics/rle/rle.h"

CAKE_FRAME* cake_new_frame() { return static_cast<CAKE_FRAME*>(std::calloc(1, sizeof(CAKE_FRAME))); }

void cake_free_frame(CAKE_FRAME** frame) {
  if (!frame || !*frame) return;
  rle_free(&(*frame)->rle);
  poly_free((*frame)->poly);
  std::free(*frame);
  *frame = nullptr;
}

CAKE_NODE* cake_new_frame_node() {
  auto* node = static_cast<CAKE_NODE*>(std::calloc(1, sizeof(CAKE_NODE)));
  if (!node) return nullptr;
  node->frame = cake_new_frame();
  if (!node->frame) {
    std::free(node);
    return nullptr;
  }
  return node;
}

void cake_free_frame_list(CAKE_NODE** head) {
  if (!head) return;
  CAKE_NODE* node = *head;
  while (node) {
    CAKE_NODE* next = node->next;
    cake_free_frame(&node->frame);
    std::free(node);
    node = next;
  }
  *head = nullptr;
}

CAKE_FRAME* cake_clone_frame(const CAKE_FRAME* frame) {
  if (!frame) return nullptr;
  CAKE_FRAME* copy = cake_new_frame();
  if (!copy) return nullptr;
  copy->offset_x = frame->offset_x;
  copy->offset_y = frame->offset_y;
  copy->anchor_x = frame->anchor_x;
  copy->anchor_y = frame->anchor_y;
  copy->word5 = frame->word5;
  if (frame->poly) {
    copy->poly = poly_alloc();
    poly_copy(copy->poly, frame->poly);
  }
  copy->rle = rle_clone(frame->rle);
  if ((frame->poly && !copy->poly) || (frame->rle && !copy->rle)) cake_free_frame(&copy);
  return copy;
}

int32_t cake_list_count(const CAKE_NODE* head) {
  int32_t n = 0;
  for (const CAKE_NODE* node = head ? head->next : nullptr; node; node = node->next) ++n;
  return n;
}

int32_t cake_list_index_of(const CAKE_NODE* node, const CAKE_NODE* head) {
  if (!node || !head) return 0;
  int32_t n = 0;
  for (const CAKE_NODE* it = head->next; it && it != node; it = it->next) ++n;
  return n;
}

CAKE_NODE* cake_list_step(CAKE_NODE* head, CAKE_NODE* current, int op) {
  switch (op) {
    case 1:
      return head ? head->next : nullptr;
    case 2: {
      CAKE_NODE* node = head;
      while (node && node->next) node = node->next;
      return node;
    }
    case 3:
      if (!current || current == head || !current->prev || current->prev == head) return head ? head->next : nullptr;
      return current->prev;
    case 4:
      return current && current->next ? current->next : current;
    default:
      return current;
  }
}

CAKE_NODE* cake_list_at(CAKE_NODE* head, int32_t index) {
  if (!head || index < 0) return nullptr;
  CAKE_NODE* node = head->next;
  for (int32_t i = 0; i < index && node; ++i) node = node->next;
  return node;
}
