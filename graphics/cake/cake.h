// Cake frame lists: the engine's frame animations in memory (the software cursor's frames).
#pragma once
#include <cstdint>

struct RLE_IMAGE;
struct POLY;

struct CAKE_FRAME {
  int32_t offset_x;   // added to the drawing position
  int32_t offset_y;
  int32_t anchor_x;
  int32_t anchor_y;
  uint32_t word5;     // carried unchanged
  POLY* poly;         // owned or null
  RLE_IMAGE* rle;     // owned or null
};

// A frame list is referred to by its head node, whose frame is the common frame; frame i is
// the (i + 1)-th node after the head.
struct CAKE_NODE {
  CAKE_FRAME* frame;
  CAKE_NODE* prev;
  CAKE_NODE* next;
};

// Reads a cake file through the PAK layer into a new list; 0, or -2 when it cannot be opened.
int cake_load_frames_pak(const char* path, CAKE_NODE** head);
// A node with a new empty frame and null links, or null.
CAKE_NODE* cake_new_frame_node();
// A deep copy, or null for null.
CAKE_FRAME* cake_clone_frame(const CAKE_FRAME* frame);
// Frees the frame and nulls the holder; null ignored.
void cake_free_frame(CAKE_FRAME** frame);
// Frees every node from the head on, with its frame, and nulls the holder.
void cake_free_frame_list(CAKE_NODE** head);
