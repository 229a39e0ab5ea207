// Zeroed blocks for the graphics records (8-bit bitmaps, media tables, sprite slots). One
// allocator, so that tests can make any of these allocations fail.
#pragma once
#include <cstddef>

// A zeroed block of n bytes, or null (n of 0 gives a one-byte block).
void* gfx_block_alloc(size_t n);
void gfx_block_free(void* block);

// Tests only: the n-th block allocation from now fails (0: none fails).
void gfx_alloc_fail_at(int n);
