// Test-only writer of map files (the client only reads them): a MapFile holds what the format
// holds and map_build writes it; the optional fields write deliberate faults.
//
// Manifest of the mapwrite command, one statement a line ('#' starts a comment; paths are
// relative to the manifest's folder):
//   title TEXT                          the map's title (code page 936 bytes)
//   cells W H                           cell width and height in pixels
//   size W H                            map width and height in pixels
//   page C R from=FILE.jpg|fill=#RRGGBB page (column C, row R) of the background
//   image X Y W H anchor=AX,AY flags=HEX a foreground image with a full mask as its data
//   grid FILE.txt                       cells from art (one character a cell, see cells_from_art)
//   rect X0 Y0 X1 Y1 VALUE              cells X0..X1, Y0..Y1 (inclusive) set to VALUE
//   object NAME X Y KIND VALUE          a map object
//   region NAME NUMBER                  a region
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mapw {

struct Page {
  int column = 0, row = 0;
  std::vector<uint8_t> jpeg;
};

struct Image {
  int32_t left = 0, top = 0, width = 0, height = 0;
  int16_t anchor_x = 0, anchor_y = 0;
  uint8_t flags = 0;
  std::vector<uint8_t> data;
};

struct Object {
  std::string name;
  int32_t x = 0, y = 0, kind = 0, value = 0;
};

struct Region {
  std::string name;
  int32_t number = 0;
  int32_t values[4] = {};
  std::string text;
  int32_t value_220 = 0, value_224 = 0;
};
// A region with only its name and number.
inline Region region(std::string name, int32_t number) {
  Region r;
  r.name = std::move(name);
  r.number = number;
  return r;
}

// Deliberate faults; each left empty writes the sound value.
struct Faults {
  std::optional<int32_t> image_count, cell_count, object_count, region_count;  // replace the counts
  std::optional<uint32_t> image_offset, event_offset, control_offset;          // replace the head's offsets
  std::optional<uint32_t> image_table_offset, cells_offset, object_offset, region_offset;
  std::optional<uint32_t> image_data_offset, image_data_size;  // of image 1 (or 0 without others)
  std::optional<uint32_t> truncate_to;                         // cut the file to this size
  std::vector<std::pair<int, uint32_t>> page_sizes;            // size table entry (row x 20 + column) -> size
};

struct MapFile {
  std::string title;
  int32_t cell_width = 16, cell_height = 8;
  int32_t width = 800, height = 600;
  uint32_t kept = 0;
  uint32_t version = 10101;
  std::string head_name = "MAP_HEAD", image_name = "MAP_IMG", event_name = "EVENT", control_name = "CONTROL";
  bool background = true;         // image 0 present (the images need it first)
  uint32_t pages_across = 0;      // 0: width / 800 rounded up
  std::vector<Page> pages;        // pages not given have size 0
  std::vector<Image> images;      // 1 and up
  std::vector<uint16_t> cells;    // empty: all 0
  std::vector<Object> objects;
  std::vector<Region> regions;
  bool blocks_reversed = false;   // CONTROL, then EVENT, then MAP_IMG
  Faults faults;
};

// Where the writer put each part (file offsets).
struct Layout {
  uint32_t image_block = 0, image_table = 0, event_block = 0, cells = 0, control_block = 0, objects = 0,
           regions = 0;
  std::vector<uint32_t> image_heads, image_data;
};

std::vector<uint8_t> map_build(const MapFile& map, Layout* layout = nullptr);

// Cells across x down from art, one line a row, one character a cell: '#' blocked (0x8000), '.'
// free, 'w' wander area (0x2000), 's' shaded (0x1000), '0'..'9' region (0x4000 | n). Throws
// std::invalid_argument for another character or rows of different lengths.
std::vector<uint16_t> cells_from_art(const std::string& art);

// An 800 x 600 page of one colour as a baseline JPEG.
std::vector<uint8_t> flat_page(uint8_t r, uint8_t g, uint8_t b, int quality = 75);

// The map of a manifest (format above); throws std::runtime_error naming the line.
MapFile map_from_manifest(const std::string& manifest_path);

// What the client's loader reads from the file, as text; throws std::runtime_error for a file
// it would refuse.
std::string map_list(const std::vector<uint8_t>& file);

}  // namespace mapw
