// Cake files: the engine's chunked container for frame animations, and the frame lists they
// become in memory (the software cursor's frames).
//
// A chunk is a u32 tag (four ASCII bytes as one little-endian word), a u32 payload size and
// the payload. A file reads: head, "COMN", [common "RLE "], [common "POLY"], "OFFS", then per
// frame "FRAM", ["RLE "], ["POLY"], and "END ". Colours are 555 in files.
#pragma once
#include <cstdint>

struct RLE_IMAGE;
struct POLY;
struct BITMAP16;
struct PAK_FILE;
namespace plat {
class File;
}

constexpr uint32_t cake_tag(char a, char b, char c, char d) {
  return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}
constexpr uint32_t CAKE_TAG_HEAD = cake_tag('C', 'A', 'K', '\x1A');
constexpr uint32_t CAKE_TAG_COMN = cake_tag('C', 'O', 'M', 'N');
constexpr uint32_t CAKE_TAG_OFFS = cake_tag('O', 'F', 'F', 'S');
constexpr uint32_t CAKE_TAG_FRAM = cake_tag('F', 'R', 'A', 'M');
constexpr uint32_t CAKE_TAG_RLE = cake_tag('R', 'L', 'E', ' ');
constexpr uint32_t CAKE_TAG_POLY = cake_tag('P', 'O', 'L', 'Y');
constexpr uint32_t CAKE_TAG_INFO = cake_tag('I', 'N', 'F', 'O');
constexpr uint32_t CAKE_TAG_BMP = cake_tag('B', 'M', 'P', ' ');
constexpr uint32_t CAKE_TAG_IMG = cake_tag('I', 'M', 'G', ' ');
constexpr uint32_t CAKE_TAG_ALF = cake_tag('A', 'L', 'F', ' ');
constexpr uint32_t CAKE_TAG_PAL = cake_tag('P', 'A', 'L', ' ');
constexpr uint32_t CAKE_TAG_END = cake_tag('E', 'N', 'D', ' ');
constexpr uint32_t CAKE_TAG_BLANK = cake_tag(' ', ' ', ' ', ' ');

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

// The "OFFS" payload: count, then the absolute file positions of the "FRAM" chunk heads.
struct CAKE_OFFS {
  uint32_t count;
  uint32_t positions[];
};

// In-memory chunk objects by tag: RLE_IMAGE ("RLE "), POLY ("POLY"), BITMAP16 ("BMP "),
// BITMAP8 ("IMG ", "ALF "), 256 uint16_t colours ("PAL "), CAKE_OFFS ("OFFS") and, for the
// other known tags, the payload bytes in a malloc'd block.
uint32_t cake_chunk_size(uint32_t tag, const void* object);
// Writes tag, size and (when both are non-zero) the payload; 0, or -1 when the write fails.
int cake_write_chunk(plat::File* file, uint32_t tag, const void* object);
// One chunk: the bytes consumed, or -1 when the file ends inside its head or payload. The
// object is null for a size 0, an unknown tag or a payload that was refused (logged).
int64_t cake_read_file(plat::File* file, uint32_t* tag, void** object);
int64_t cake_read_chunk_pak(PAK_FILE* file, uint32_t* tag, void** object);
// Frees a chunk object of that tag; null ignored.
void cake_free_chunk(uint32_t tag, void* object);

CAKE_OFFS* cake_offs_alloc(uint32_t count);
void cake_offs_free(CAKE_OFFS* offs);

CAKE_FRAME* cake_new_frame();
// Frees the frame and nulls the holder; null ignored.
void cake_free_frame(CAKE_FRAME** frame);
// A node with a new empty frame and null links, or null.
CAKE_NODE* cake_new_frame_node();
// Frees every node from the head on, with its frame, and nulls the holder.
void cake_free_frame_list(CAKE_NODE** head);
// A deep copy, or null for null.
CAKE_FRAME* cake_clone_frame(const CAKE_FRAME* frame);

// Nodes after the head (0 for null).
int32_t cake_list_count(const CAKE_NODE* head);
// Nodes after the head before node (the count when absent); 0 when either is null.
int32_t cake_list_index_of(const CAKE_NODE* node, const CAKE_NODE* head);
// op 1 first, 2 last, 3 previous (the first at the start), 4 next (current at the end); other
// ops give current.
CAKE_NODE* cake_list_step(CAKE_NODE* head, CAKE_NODE* current, int op);
// Frame index (0 = the node after the head), or null past the end.
CAKE_NODE* cake_list_at(CAKE_NODE* head, int32_t index);

// 0, or -2 when the file cannot be opened or the offset table cannot be made (logged).
int save_cake_frame_ani_to_file(const char* path, const CAKE_NODE* head);
int save_cake_frame_ani_to_stream(plat::File* file, const CAKE_NODE* head);
// A whole animation into a new list (the head carries the common image and polygon); a stream
// that ends before "END " keeps the frames read so far (logged). 0, or -1 without a list.
int cake_read_frames_file(plat::File* file, CAKE_NODE** head);
int cake_read_frames_pak_stream(PAK_FILE* file, CAKE_NODE** head);
// Reads a cake file through the PAK layer into a new list; 0, or -2 when it cannot be opened.
int cake_load_frames_pak(const char* path, CAKE_NODE** head);
// One frame through the offset table; 0 or -1 (logged).
int cake_read_frame(const char* path, int32_t index, CAKE_FRAME** frame);
// The "OFFS" count, or 0 when the file cannot be opened or holds no table.
int32_t cake_count_frames_file(const char* path);

// The frame's image through the installed RLE routine at (x + offset x, y + offset y).
void cake_draw_frame(int32_t x, int32_t y, int32_t unused, const CAKE_FRAME* frame, BITMAP16* target);
// The first frame's image scaled into the w x h box, with the scale printed at its corner.
void cake_draw_preview(int32_t x, int32_t y, int32_t w, int32_t h, const CAKE_NODE* head, BITMAP16* target);
// 0, or -1 for a null list.
int cake_frames_extent(const CAKE_NODE* head, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);

// How the preview draws its label (the game's text routine, installed at start; tests record).
using CakeTextFn = int32_t (*)(int32_t x, int32_t y, const char* text, uint32_t style, BITMAP16* target);
void cake_set_text_drawer(CakeTextFn fn);
