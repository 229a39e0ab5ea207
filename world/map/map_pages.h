// The page cache: the background pages around the view, decoded into nine 800 x 600 slots.
#pragma once
#include <cstddef>
#include <cstdint>

struct BITMAP16;

constexpr int32_t MAP_DECODE_FAILED = static_cast<int32_t>(0x80004005u);

// Decodes the pages around the view (x, y) into the slots: 0, or -2 when a slot bitmap cannot be
// made.
int32_t map_page_cache_fill(int32_t x, int32_t y);
// The slot holding map pixel (x, y), loading its page into a free or far slot when none does:
// 0..8 (slot 0 when every slot touches the view), -2 outside the map.
int32_t map_page_find(int32_t x, int32_t y);
// 0 when (x, y) lies inside the map and no slot holds it; -2 otherwise.
int32_t map_page_missing(int32_t x, int32_t y);
// The slot to give up for a page needed near (x, y): the one farthest from it among those not
// touching the view; -1 when every slot touches the view.
int32_t map_page_pick_slot(int32_t x, int32_t y);
// Decodes the page whose top-left is (left, top) into a slot, clipped to the map.
void map_page_load(int32_t left, int32_t top, int32_t slot);
// Decodes the page at the rectangle out of image 0's data into 800 x 600 RGB rows (out must
// hold out_size >= 1,440,000 bytes): 0 or MAP_DECODE_FAILED.
int32_t map_decode_page(const uint8_t* data, size_t data_size, int32_t left, int32_t top, int32_t width,
                        int32_t height, uint8_t* out, size_t out_size);
// Copies the cached pages' part of the 800 x 600 view at (x, y) into the destination.
void map_draw_view(BITMAP16* destination, int32_t x, int32_t y);
// The view at (x, y) through the 1600 x 900 work bitmap out of the four corner pages, then to the
// destination.
void map_compose_view(BITMAP16* destination, BITMAP16* work, int32_t x, int32_t y);
