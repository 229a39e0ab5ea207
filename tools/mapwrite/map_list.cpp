// The lister reads a map file the way the client's loader does and says what it found.
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "plat/bytes.h"
#include "tools/mapwrite/mapwrite.h"
#include "world/map/map_data.h"

namespace mapw {

namespace {

std::string field_text(const char* p, size_t n) { return std::string(p, strnlen(p, n)); }

template <class R, size_t N, class Walk>
R record_at(const std::vector<uint8_t>& file, uint64_t at, const plat::FieldSpec (&fields)[N], size_t size, Walk walk) {
  if (at > file.size() || file.size() - at < size) throw std::runtime_error("a block lies past the end");
  plat::ByteReader r(file.data() + at, size);
  R rec{};
  plat::readFields(r, fields, rec, walk);
  return rec;
}

char cell_char(uint16_t v) {
  if (v & MAP_CELL_BLOCKED) return '#';
  if (v & MAP_CELL_REGION) return static_cast<char>('0' + (v & 0xFF) % 10);
  if (v & MAP_CELL_WANDER) return 'w';
  if (v & MAP_CELL_SHADED) return 's';
  return '.';
}

void add(std::string& out, const char* format, auto... args) {
  char line[512];
  std::snprintf(line, sizeof line, format, args...);
  out += line;
}

void list_pages(std::string& out, const std::vector<uint8_t>& file, const MAP_FILE_IMAGE_HEAD& h, int32_t height) {
  plat::ByteReader data(file.data() + h.data_offset, h.data_size);
  const uint32_t across = data.u32("pages across");
  add(out, "  pages across %u\n", across);
  uint64_t at = MAP_PAGE_STREAMS_OFFSET;
  const int32_t rows = (height + MAP_PAGE_HEIGHT - 1) / MAP_PAGE_HEIGHT;
  for (int32_t r = 0; r < rows && r < MAP_PAGE_TABLE_SIDE; ++r) {
    for (uint32_t c = 0; c < across && c < static_cast<uint32_t>(MAP_PAGE_TABLE_SIDE); ++c) {
      data.seek(MAP_PAGE_SIZES_OFFSET + 4 * (static_cast<size_t>(r) * MAP_PAGE_TABLE_SIDE + c));
      const uint32_t size = data.u32("page size");
      add(out, "  page %u,%d: %u bytes at %llu%s\n", c, r, size, static_cast<unsigned long long>(at),
          at + size > h.data_size ? " (past the data)" : "");
      at += size;
    }
  }
}

}  // namespace

std::string map_list(const std::vector<uint8_t>& file) {
  std::string out;
  const auto head = record_at<MAP_FILE_HEAD>(file, MAP_FILE_HEAD_OFFSET, MAP_FILE_HEAD_FIELDS, MAP_HEAD_SIZE,
                                             MAP_FILE_HEAD_WALK);
  add(out, "head %s version %u\n", field_text(head.name, MAP_BLOCK_NAME_SIZE).c_str(), head.version);
  add(out, "title \"%s\"\n", field_text(head.title, MAP_BLOCK_NAME_SIZE).c_str());
  if (head.cell_width < 1 || head.cell_height < 1) throw std::runtime_error("cell size below 1");
  const int32_t across = head.map_width / head.cell_width, down = head.map_height / head.cell_height;
  add(out, "size %d x %d, cells %d x %d (%d x %d), kept %u\n", head.map_width, head.map_height, head.cell_width,
      head.cell_height, across, down, head.kept);

  const auto images = record_at<MAP_FILE_LIST_BLOCK>(file, head.image_offset, MAP_FILE_LIST_BLOCK_FIELDS,
                                                     MAP_LIST_BLOCK_SIZE, MAP_FILE_LIST_BLOCK_WALK);
  add(out, "%s: %d images\n", field_text(images.name, MAP_BLOCK_NAME_SIZE).c_str(), images.count);
  for (int32_t i = 0; i < images.count; ++i) {
    const uint64_t entry = uint64_t{images.offset} + 4 * static_cast<uint64_t>(i);
    if (entry + 4 > file.size()) throw std::runtime_error("the image table lies past the end");
    const uint32_t at = plat::ByteReader(file.data() + entry, 4).u32();
    const auto h = record_at<MAP_FILE_IMAGE_HEAD>(file, at, MAP_FILE_IMAGE_HEAD_FIELDS, MAP_IMAGE_HEAD_SIZE,
                                                  MAP_FILE_IMAGE_HEAD_WALK);
    if (uint64_t{h.data_offset} + h.data_size > file.size()) throw std::runtime_error("image data past the end");
    add(out, "image %d: %d x %d at %d,%d anchor %d,%d flags 0x%02X, %u data bytes\n", i, h.width, h.height, h.left,
        h.top, h.anchor_x, h.anchor_y, h.flags & MAP_IMAGE_FLAG_MASK, h.data_size);
    if (i == 0 && h.data_size >= static_cast<uint32_t>(MAP_PAGE_STREAMS_OFFSET)) list_pages(out, file, h, head.map_height);
  }

  const auto event = record_at<MAP_FILE_LIST_BLOCK>(file, head.event_offset, MAP_FILE_LIST_BLOCK_FIELDS,
                                                    MAP_LIST_BLOCK_SIZE, MAP_FILE_LIST_BLOCK_WALK);
  add(out, "%s: %d cells\n", field_text(event.name, MAP_BLOCK_NAME_SIZE).c_str(), event.count);
  if (event.count == across * down && uint64_t{event.offset} + 2 * uint64_t(event.count) <= file.size()) {
    plat::ByteReader cells(file.data() + event.offset, 2 * static_cast<size_t>(event.count));
    for (int32_t y = 0; y < down; ++y) {
      std::string row = "  ";
      for (int32_t x = 0; x < across; ++x) row += cell_char(cells.u16("cell"));
      out += row + "\n";
    }
  }

  const auto control = record_at<MAP_FILE_CONTROL>(file, head.control_offset, MAP_FILE_CONTROL_FIELDS,
                                                   MAP_CONTROL_BLOCK_SIZE, MAP_FILE_CONTROL_WALK);
  add(out, "%s: %d objects, %d regions\n", field_text(control.name, MAP_BLOCK_NAME_SIZE).c_str(),
      control.object_count, control.region_count);
  for (int32_t i = 0; i < control.object_count; ++i) {
    const auto o = record_at<MAP_FILE_OBJECT>(file, control.object_offset + uint64_t{MAP_OBJECT_RECORD_SIZE} * i,
                                              MAP_FILE_OBJECT_FIELDS, MAP_OBJECT_RECORD_SIZE, MAP_FILE_OBJECT_WALK);
    add(out, "object %d: \"%s\" at %d,%d kind %d value %d\n", i, field_text(o.name, MAP_NAME_FIELD).c_str(), o.x,
        o.y, o.kind, o.value);
  }
  for (int32_t i = 0; i < control.region_count; ++i) {
    const auto g = record_at<MAP_FILE_REGION>(file, control.region_offset + uint64_t{MAP_REGION_RECORD_SIZE} * i,
                                              MAP_FILE_REGION_FIELDS, MAP_REGION_RECORD_SIZE, MAP_FILE_REGION_WALK);
    add(out, "region %d: \"%s\" number %d\n", i, field_text(g.name, MAP_NAME_FIELD).c_str(), g.number);
  }
  return out;
}

}  // namespace mapw
