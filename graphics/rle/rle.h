// RLE images: 16-bit sprites stored as runs (cake frames, the software cursor).
//
// Run stream: each run starts with a count byte and a code byte.
//   count 1-255: a colour word follows; code bit 1 = shadow (darken), else bit 0 = solid,
//                else an alpha run blended at code & 0xF8. Bit 2 flags an edge pixel.
//   count 0: code 0 end of row, 1 end of image, 2 skip (dx, dy bytes follow),
//            3-255 a literal run of that many pixel words.
// Colours are in the screen's format in memory and 555 in files.
#pragma once
#include <cstddef>
#include <cstdint>

struct BITMAP16;
struct BITMAP16A;
struct BITMAP8;
struct PAK_FILE;
namespace plat {
class File;
}

// One allocation: this head, one row offset per row, then the run stream.
struct RLE_IMAGE {
  uint32_t width;
  uint32_t height;
  uint32_t stream_size;
  uint32_t rows[];  // row i: offset of its first run from the stream start
};

inline uint8_t* rle_stream(RLE_IMAGE* image) { return reinterpret_cast<uint8_t*>(image->rows + image->height); }
inline const uint8_t* rle_stream(const RLE_IMAGE* image) {
  return reinterpret_cast<const uint8_t*>(image->rows + image->height);
}

// Zeroed, every row at the stream start; null when a size is out of range (16384 pixels) or
// memory runs out.
RLE_IMAGE* rle_create(int32_t width, int32_t height, uint32_t stream_size);
void rle_free(RLE_IMAGE** image);
RLE_IMAGE* rle_clone(const RLE_IMAGE* image);

// Colour words of every run and literal pixel, in place (screen format <-> 555).
void rle_to_555(RLE_IMAGE* image);
void rle_from_555(RLE_IMAGE* image);
// Row offsets recomputed from the stream: a row points at the last run starting at its column
// 0; a row no run starts (passed over by a skip) points at the stream start.
void rle_rebuild_rows(RLE_IMAGE* image);
// True when every walk the drawers can make stays inside the stream, the width and the
// height, and the stream holds an end of image. Images from files must pass before drawing.
bool rle_validate(const RLE_IMAGE* image);

// The "RLE " payload: width, height, stream size, row offsets, stream (colours 555).
int rle_write_file(plat::File* file, const RLE_IMAGE* image);
// 0, or -1 when the payload is short, malformed or cannot be allocated (logged).
int rle_read_pak(PAK_FILE* file, RLE_IMAGE** image);

// From a bitmap and a mask of the same size (0 transparent, 1 opaque, 2 shadow, other values
// one-pixel runs carrying the value as their code); null on bad input.
RLE_IMAGE* rle_encode(const BITMAP16* bitmap, const BITMAP8* mask);
// From pixels with an alpha plane and an optional shadow picture (its alpha only).
RLE_IMAGE* rle_from_alpha_bitmap(BITMAP16A* source, BITMAP16A* shadow);

// The draw family: the image's top-left pixel at (x, y) of target, clipped to it.
void rle_draw(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_clipped(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
// The walk without per-pixel tests; an image not wholly inside takes the clipped walk.
void rle_draw_inside(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
// Onto raw 16-bit pixels (pitch in bytes) clipped to width x height; shadows on a checker.
void rle_draw_to_pixels(int32_t x, int32_t y, const RLE_IMAGE* image, uint16_t* pixels, int32_t pitch, int32_t width,
                        int32_t height);
void rle_draw_min_alpha(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int minimum);
// Kept to left <= column < right, top <= row < bottom, and to the target.
void rle_draw_in_rect(int32_t x, int32_t y, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_outline(int32_t x, int32_t y, uint16_t colour, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_edge_level(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int level);
void rle_draw_edges(int32_t x, int32_t y, uint16_t colour, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_silhouette(int32_t x, int32_t y, uint16_t colour, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_checker(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_grey(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_grey2(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_grey_sub(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_grey_min(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_grey_max(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_mix(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_red(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_green(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_blue(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_yellow(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_blue_blend(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int level);
void rle_draw_additive(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw2(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_faded(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target, int level);
void rle_draw_no_shadow(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_glow(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
// Scaled to w x h at (x, y), each source pixel filling its block.
void rle_draw_scaled(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_scaled_grey(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_scaled_blue(int32_t x, int32_t y, int32_t w, int32_t h, const RLE_IMAGE* image, BITMAP16* target);

// Placeholders kept beside the family: they draw nothing.
void rle_draw_none1(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_none2(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_none3(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_none4(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
void rle_draw_none5(int32_t x, int32_t y, const RLE_IMAGE* image, BITMAP16* target);
float rle_draw_unit_scale();
