// The loaded map: its record (everything the map file holds, the page cache and the view
// origin's copy), the map scene's bitmaps made at start-up, and map_control_free.
#pragma once
#include <cstdint>
#include <vector>

#include "plat/bytes.h"

struct BITMAP16;

constexpr int MAP_LAYERS = 4;
constexpr int32_t MAP_LAYER_WIDTH = 801, MAP_LAYER_HEIGHT = 601;
constexpr int32_t MAP_CONTROL_WIDTH = 800, MAP_CONTROL_HEIGHT = 600;

constexpr int32_t MAP_PATH_SIZE = 257;   // 256 characters and a NUL
constexpr int32_t MAP_TITLE_SIZE = 21;   // 20 characters and a NUL
constexpr int32_t MAP_NAME_FIELD = 80;   // object and region names in the file
constexpr int32_t MAP_REGION_TEXT_FIELD = 120;

// Cell bits of the EVENT layer.
enum MAP_CELL_BIT : uint16_t {
  MAP_CELL_BLOCKED = 0x8000,
  MAP_CELL_REGION = 0x4000,  // the low byte is the region number
  MAP_CELL_WANDER = 0x2000,  // NPCs and pets wander here
  MAP_CELL_SHADED = 0x1000,  // characters here are drawn shaded
};

// Image flags kept from the file (& 0xC0).
enum MAP_IMAGE_FLAG : uint8_t {
  MAP_IMAGE_LAYERED = 0x40,  // in front while a character's feet are above its anchor line
  MAP_IMAGE_FRONT = 0xC0,    // always in front
  MAP_IMAGE_FLAG_MASK = 0xC0,
};

// Object kinds.
enum MAP_OBJECT_KIND : int32_t {
  MAP_OBJECT_SOUND = 0,  // "EFC\\<name>" played while the player is near
  MAP_OBJECT_LOOK = 1,   // "MDA\\<name>" animated on the map
};

// The four display values of the loaded map (cell size 16 x 8 and width 600 when none is).
struct MAP_DISPLAY {
  int32_t cell_width;
  int32_t cell_height;
  int32_t map_width;
  int32_t head;  // kept from the map file's head; nothing reads it
};

// One image of the map. Image 0 is the background's page container; the others are the
// foreground pieces drawn over characters.
struct MAP_IMAGE {
  std::vector<uint8_t> data;  // the data block, read whole
  int32_t width, height;
  int32_t left, top;          // map pixels
  int32_t anchor_x, anchor_y;  // where the image stands, inside the image
  uint8_t flags;               // MAP_IMAGE_FLAG
  uint8_t has_mask;            // a layered image with at least (width / 8) x height data bytes
};

// A placed map object with its scene state.
struct MAP_OBJECT {
  char name[MAP_NAME_FIELD + 1];  // always NUL-terminated
  int32_t x, y;
  int32_t kind;   // MAP_OBJECT_KIND; other kinds are kept and not used
  int32_t value;  // kind 1: 1 draws with blit flag 192, others with 128
  int32_t look;   // media handle, -1 none
  int32_t frame_width, frame_height;  // the look's first frame
  uint32_t next_step_time;
  int32_t step;
  int32_t step_count;
  int32_t voice;         // kind 0: the sound's voice, -1 none
  uint8_t playing;       // kind 0: started
  uint32_t next_check;   // kind 0: next distance check (ms)
};

// A named region of the map; its cells carry MAP_CELL_REGION and the number in the low byte.
struct MAP_REGION {
  char name[MAP_NAME_FIELD + 1];
  int32_t number;
  int32_t values[4];  // 84..99 of the record, kept as read
  char text[MAP_REGION_TEXT_FIELD + 1];
  int32_t value_220, value_224;
};

// One page slot of the cache: an 800 x 600 page's rectangle clipped to the map and its pixels.
constexpr int MAP_PAGE_SLOTS = 9;
constexpr int32_t MAP_PAGE_WIDTH = 800, MAP_PAGE_HEIGHT = 600;
constexpr int32_t MAP_PAGE_UNUSED = -99999;  // every edge of an unused slot
struct MAP_PAGE_SLOT {
  int32_t left, top, right, bottom;
  BITMAP16* bitmap;  // 800 x 600, made on first use, freed by scene_free_map
};

struct MAP_RECORD {
  char path[MAP_PATH_SIZE];
  char title[MAP_TITLE_SIZE];
  MAP_DISPLAY display;
  int32_t map_height;
  std::vector<MAP_IMAGE> images;
  int32_t cells_across, cells_down;
  std::vector<uint16_t> cells;  // cells_across x cells_down, row after row; empty without EVENT data
  std::vector<MAP_REGION> regions;
  std::vector<MAP_OBJECT> objects;
  MAP_PAGE_SLOT pages[MAP_PAGE_SLOTS];
  int32_t view_copy_x, view_copy_y;  // copy of scene_view_origin as the loader set it
};

extern MAP_RECORD map_record;
extern BITMAP16* map_layers[MAP_LAYERS];
extern BITMAP16* map_control_bitmap;
extern int32_t map_point_handle;  // "MDA\\point.mda", -1 until loaded

// The map's file data reset: display values 16, 8, 600 and 0; the images, cells, regions and
// objects freed, each object's look released first. The page cache and view stay.
void map_control_free();
// Every slot's edges -99999 (bitmaps kept).
void map_pages_clear_edges();

// ---- the map file -------------------------------------------------------------------------
// Every block is found by its absolute file offset; names are NUL-terminated, compared
// ignoring ASCII case.
constexpr int32_t MAP_FILE_HEAD_OFFSET = 256;
constexpr uint32_t MAP_FILE_VERSION = 10101;
constexpr int32_t MAP_BLOCK_NAME_SIZE = 20;
constexpr int32_t MAP_MAX_WIDTH = 16000, MAP_MAX_HEIGHT = 12000;  // the 20 x 20 page table's reach
constexpr int64_t MAP_MAX_CELLS = 16777216;
constexpr int32_t MAP_PAGE_TABLE_SIDE = 20;
constexpr int32_t MAP_PAGE_SIZES_OFFSET = 8;
constexpr int32_t MAP_PAGE_STREAMS_OFFSET = 1612;

constexpr int32_t MAP_HEAD_SIZE = 76;
struct MAP_FILE_HEAD {
  char name[MAP_BLOCK_NAME_SIZE];
  char title[MAP_BLOCK_NAME_SIZE];
  int32_t cell_width, cell_height, map_width, map_height;
  uint32_t kept;
  uint32_t image_offset, event_offset, control_offset;
  uint32_t version;
};
constexpr plat::FieldSpec MAP_FILE_HEAD_FIELDS[] = {
    {"head name", 0, 20},       {"title", 20, 20},          {"cell width", 40, 4},
    {"cell height", 44, 4},     {"map width", 48, 4},       {"map height", 52, 4},
    {"kept", 56, 4},            {"MAP_IMG offset", 60, 4},  {"EVENT offset", 64, 4},
    {"CONTROL offset", 68, 4},  {"version", 72, 4},
};
static_assert(plat::checkLayout(MAP_FILE_HEAD_FIELDS, MAP_HEAD_SIZE));
constexpr auto MAP_FILE_HEAD_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, MAP_BLOCK_NAME_SIZE);
  v.bytes(r.title, MAP_BLOCK_NAME_SIZE);
  v.i32(r.cell_width);
  v.i32(r.cell_height);
  v.i32(r.map_width);
  v.i32(r.map_height);
  v.u32(r.kept);
  v.u32(r.image_offset);
  v.u32(r.event_offset);
  v.u32(r.control_offset);
  v.u32(r.version);
};
static_assert(plat::walkMatchesLayout<MAP_FILE_HEAD>(MAP_FILE_HEAD_FIELDS, MAP_FILE_HEAD_WALK));

// MAP_IMG and EVENT share one block layout: name, count, offset of the table or cells.
constexpr int32_t MAP_LIST_BLOCK_SIZE = 28;
struct MAP_FILE_LIST_BLOCK {
  char name[MAP_BLOCK_NAME_SIZE];
  int32_t count;
  uint32_t offset;
};
constexpr plat::FieldSpec MAP_FILE_LIST_BLOCK_FIELDS[] = {
    {"block name", 0, 20}, {"count", 20, 4}, {"offset", 24, 4}};
static_assert(plat::checkLayout(MAP_FILE_LIST_BLOCK_FIELDS, MAP_LIST_BLOCK_SIZE));
constexpr auto MAP_FILE_LIST_BLOCK_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, MAP_BLOCK_NAME_SIZE);
  v.i32(r.count);
  v.u32(r.offset);
};
static_assert(plat::walkMatchesLayout<MAP_FILE_LIST_BLOCK>(MAP_FILE_LIST_BLOCK_FIELDS, MAP_FILE_LIST_BLOCK_WALK));

constexpr int32_t MAP_IMAGE_HEAD_SIZE = 52;
struct MAP_FILE_IMAGE_HEAD {
  uint32_t data_offset, data_size;
  int32_t width, height, left, top;
  int16_t anchor_x, anchor_y;
  uint8_t flags;
};
constexpr plat::FieldSpec MAP_FILE_IMAGE_HEAD_FIELDS[] = {
    {"image unused", 0, 20}, {"data offset", 20, 4}, {"data size", 24, 4}, {"width", 28, 4},
    {"height", 32, 4},       {"left", 36, 4},        {"top", 40, 4},       {"anchor x", 44, 2},
    {"anchor y", 46, 2},     {"flags", 48, 1},       {"image tail", 49, 3},
};
static_assert(plat::checkLayout(MAP_FILE_IMAGE_HEAD_FIELDS, MAP_IMAGE_HEAD_SIZE));
constexpr auto MAP_FILE_IMAGE_HEAD_WALK = [](auto& r, auto& v) {
  v.zeros(20);
  v.u32(r.data_offset);
  v.u32(r.data_size);
  v.i32(r.width);
  v.i32(r.height);
  v.i32(r.left);
  v.i32(r.top);
  v.i16(r.anchor_x);
  v.i16(r.anchor_y);
  v.u8(r.flags);
  v.zeros(3);
};
static_assert(plat::walkMatchesLayout<MAP_FILE_IMAGE_HEAD>(MAP_FILE_IMAGE_HEAD_FIELDS, MAP_FILE_IMAGE_HEAD_WALK));

constexpr int32_t MAP_CONTROL_BLOCK_SIZE = 36;
struct MAP_FILE_CONTROL {
  char name[MAP_BLOCK_NAME_SIZE];
  int32_t object_count, region_count;
  uint32_t object_offset, region_offset;
};
constexpr plat::FieldSpec MAP_FILE_CONTROL_FIELDS[] = {
    {"control name", 0, 20},  {"object count", 20, 4},  {"region count", 24, 4},
    {"object offset", 28, 4}, {"region offset", 32, 4},
};
static_assert(plat::checkLayout(MAP_FILE_CONTROL_FIELDS, MAP_CONTROL_BLOCK_SIZE));
constexpr auto MAP_FILE_CONTROL_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, MAP_BLOCK_NAME_SIZE);
  v.i32(r.object_count);
  v.i32(r.region_count);
  v.u32(r.object_offset);
  v.u32(r.region_offset);
};
static_assert(plat::walkMatchesLayout<MAP_FILE_CONTROL>(MAP_FILE_CONTROL_FIELDS, MAP_FILE_CONTROL_WALK));

constexpr int32_t MAP_OBJECT_RECORD_SIZE = 96;
struct MAP_FILE_OBJECT {
  char name[MAP_NAME_FIELD];
  int32_t x, y, kind, value;
};
constexpr plat::FieldSpec MAP_FILE_OBJECT_FIELDS[] = {
    {"object name", 0, 80}, {"object x", 80, 4}, {"object y", 84, 4}, {"object kind", 88, 4},
    {"object value", 92, 4},
};
static_assert(plat::checkLayout(MAP_FILE_OBJECT_FIELDS, MAP_OBJECT_RECORD_SIZE));
constexpr auto MAP_FILE_OBJECT_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, MAP_NAME_FIELD);
  v.i32(r.x);
  v.i32(r.y);
  v.i32(r.kind);
  v.i32(r.value);
};
static_assert(plat::walkMatchesLayout<MAP_FILE_OBJECT>(MAP_FILE_OBJECT_FIELDS, MAP_FILE_OBJECT_WALK));

constexpr int32_t MAP_REGION_RECORD_SIZE = 228;
struct MAP_FILE_REGION {
  char name[MAP_NAME_FIELD];
  int32_t number;
  int32_t values[4];
  char text[MAP_REGION_TEXT_FIELD];
  int32_t value_220, value_224;
};
constexpr plat::FieldSpec MAP_FILE_REGION_FIELDS[] = {
    {"region name", 0, 80},  {"region number", 80, 4}, {"region values", 84, 16},
    {"region text", 100, 120}, {"region 220", 220, 4},  {"region 224", 224, 4},
};
static_assert(plat::checkLayout(MAP_FILE_REGION_FIELDS, MAP_REGION_RECORD_SIZE));
constexpr auto MAP_FILE_REGION_WALK = [](auto& r, auto& v) {
  v.bytes(r.name, MAP_NAME_FIELD);
  v.i32(r.number);
  v.i32s(r.values, 4);
  v.bytes(r.text, MAP_REGION_TEXT_FIELD);
  v.i32(r.value_220);
  v.i32(r.value_224);
};
static_assert(plat::walkMatchesLayout<MAP_FILE_REGION>(MAP_FILE_REGION_FIELDS, MAP_FILE_REGION_WALK));
