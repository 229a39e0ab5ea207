#include "tools/mapwrite/mapwrite.h"

#include <stdexcept>

#include "plat/bytes.h"
#include "tools/jpegbaseline/jpeg_baseline.h"
#include "world/map/map_data.h"

namespace mapw {

namespace {

template <class T>
T or_value(const std::optional<T>& fault, T sound) {
  return fault ? *fault : sound;
}

std::vector<uint8_t> background_data(const MapFile& map) {
  const uint32_t across = map.pages_across ? map.pages_across
                                           : static_cast<uint32_t>((map.width + MAP_PAGE_WIDTH - 1) / MAP_PAGE_WIDTH);
  const int rows = (map.height + MAP_PAGE_HEIGHT - 1) / MAP_PAGE_HEIGHT;
  const auto page_of = [&map](int c, int r) -> const std::vector<uint8_t>* {
    for (const Page& p : map.pages)
      if (p.column == c && p.row == r) return &p.jpeg;
    return nullptr;
  };
  uint32_t sizes[MAP_PAGE_TABLE_SIDE * MAP_PAGE_TABLE_SIDE] = {};
  plat::ByteWriter streams;
  for (int r = 0; r < rows && r < MAP_PAGE_TABLE_SIDE; ++r) {
    for (uint32_t c = 0; c < across && c < static_cast<uint32_t>(MAP_PAGE_TABLE_SIDE); ++c) {
      const std::vector<uint8_t>* jpeg = page_of(static_cast<int>(c), r);
      if (!jpeg) continue;
      sizes[r * MAP_PAGE_TABLE_SIDE + c] = static_cast<uint32_t>(jpeg->size());
      streams.bytes(jpeg->data(), jpeg->size());
    }
  }
  for (const auto& [entry, size] : map.faults.page_sizes) sizes[entry] = size;
  plat::ByteWriter w;
  w.u32(across);
  w.u32(0);
  for (uint32_t s : sizes) w.u32(s);
  w.u32(0);
  w.bytes(streams.data().data(), streams.size());
  return w.take();
}

void write_images(const MapFile& map, std::vector<uint8_t>& out, Layout& at) {
  std::vector<Image> images;
  if (map.background) {
    Image back;
    back.width = map.width;
    back.height = map.height;
    back.data = background_data(map);
    images.push_back(std::move(back));
  }
  images.insert(images.end(), map.images.begin(), map.images.end());
  const size_t count = images.size();
  at.image_block = static_cast<uint32_t>(out.size());
  at.image_table = at.image_block + MAP_LIST_BLOCK_SIZE;
  const uint32_t heads = at.image_table + static_cast<uint32_t>(4 * count);
  uint32_t data = heads + static_cast<uint32_t>(MAP_IMAGE_HEAD_SIZE * count);
  plat::ByteWriter w;
  w.fixedString(map.image_name, MAP_BLOCK_NAME_SIZE);
  w.i32(or_value(map.faults.image_count, static_cast<int32_t>(count)));
  w.u32(or_value(map.faults.image_table_offset, at.image_table));
  for (size_t i = 0; i < count; ++i) w.u32(heads + static_cast<uint32_t>(MAP_IMAGE_HEAD_SIZE * i));
  const size_t faulted = count > 1 ? 1 : 0;
  for (size_t i = 0; i < count; ++i) {
    const Image& im = images[i];
    MAP_FILE_IMAGE_HEAD h{};
    h.data_offset = data;
    h.data_size = static_cast<uint32_t>(im.data.size());
    if (i == faulted) {
      h.data_offset = or_value(map.faults.image_data_offset, h.data_offset);
      h.data_size = or_value(map.faults.image_data_size, h.data_size);
    }
    h.width = im.width;
    h.height = im.height;
    h.left = im.left;
    h.top = im.top;
    h.anchor_x = im.anchor_x;
    h.anchor_y = im.anchor_y;
    h.flags = im.flags;
    plat::writeFields(w, h, MAP_FILE_IMAGE_HEAD_WALK);
    at.image_heads.push_back(heads + static_cast<uint32_t>(MAP_IMAGE_HEAD_SIZE * i));
    at.image_data.push_back(data);
    data += static_cast<uint32_t>(im.data.size());
  }
  for (const Image& im : images) w.bytes(im.data.data(), im.data.size());
  out.insert(out.end(), w.data().begin(), w.data().end());
}

void write_event(const MapFile& map, std::vector<uint8_t>& out, Layout& at) {
  const int64_t across = map.cell_width > 0 ? map.width / map.cell_width : 0;
  const int64_t down = map.cell_height > 0 ? map.height / map.cell_height : 0;
  std::vector<uint16_t> cells = map.cells;
  if (cells.empty()) cells.assign(static_cast<size_t>(across * down), 0);
  at.event_block = static_cast<uint32_t>(out.size());
  at.cells = at.event_block + MAP_LIST_BLOCK_SIZE;
  plat::ByteWriter w;
  w.fixedString(map.event_name, MAP_BLOCK_NAME_SIZE);
  w.i32(or_value(map.faults.cell_count, static_cast<int32_t>(cells.size())));
  w.u32(or_value(map.faults.cells_offset, at.cells));
  for (uint16_t c : cells) w.u16(c);
  out.insert(out.end(), w.data().begin(), w.data().end());
}

void write_control(const MapFile& map, std::vector<uint8_t>& out, Layout& at) {
  at.control_block = static_cast<uint32_t>(out.size());
  at.objects = at.control_block + MAP_CONTROL_BLOCK_SIZE;
  at.regions = at.objects + static_cast<uint32_t>(MAP_OBJECT_RECORD_SIZE * map.objects.size());
  plat::ByteWriter w;
  w.fixedString(map.control_name, MAP_BLOCK_NAME_SIZE);
  w.i32(or_value(map.faults.object_count, static_cast<int32_t>(map.objects.size())));
  w.i32(or_value(map.faults.region_count, static_cast<int32_t>(map.regions.size())));
  w.u32(or_value(map.faults.object_offset, at.objects));
  w.u32(or_value(map.faults.region_offset, at.regions));
  for (const Object& o : map.objects) {
    w.fixedString(o.name, MAP_NAME_FIELD);
    w.i32(o.x);
    w.i32(o.y);
    w.i32(o.kind);
    w.i32(o.value);
  }
  for (const Region& g : map.regions) {
    w.fixedString(g.name, MAP_NAME_FIELD);
    w.i32(g.number);
    for (int32_t v : g.values) w.i32(v);
    w.fixedString(g.text, MAP_REGION_TEXT_FIELD);
    w.i32(g.value_220);
    w.i32(g.value_224);
  }
  out.insert(out.end(), w.data().begin(), w.data().end());
}

}  // namespace

std::vector<uint8_t> map_build(const MapFile& map, Layout* layout) {
  Layout at;
  std::vector<uint8_t> out(MAP_FILE_HEAD_OFFSET + MAP_HEAD_SIZE, 0);
  if (map.blocks_reversed) {
    write_control(map, out, at);
    write_event(map, out, at);
    write_images(map, out, at);
  } else {
    write_images(map, out, at);
    write_event(map, out, at);
    write_control(map, out, at);
  }
  plat::ByteWriter head;
  head.fixedString(map.head_name, MAP_BLOCK_NAME_SIZE);
  head.fixedString(map.title, MAP_BLOCK_NAME_SIZE);
  head.i32(map.cell_width);
  head.i32(map.cell_height);
  head.i32(map.width);
  head.i32(map.height);
  head.u32(map.kept);
  head.u32(or_value(map.faults.image_offset, at.image_block));
  head.u32(or_value(map.faults.event_offset, at.event_block));
  head.u32(or_value(map.faults.control_offset, at.control_block));
  head.u32(map.version);
  std::copy(head.data().begin(), head.data().end(), out.begin() + MAP_FILE_HEAD_OFFSET);
  if (map.faults.truncate_to && *map.faults.truncate_to < out.size()) out.resize(*map.faults.truncate_to);
  if (layout) *layout = at;
  return out;
}

std::vector<uint16_t> cells_from_art(const std::string& art) {
  std::vector<uint16_t> cells;
  size_t width = 0, column = 0;
  bool first_row = true;
  const auto end_row = [&] {
    if (column == 0) return;
    if (!first_row && column != width) throw std::invalid_argument("cells_from_art: rows of different lengths");
    width = column;
    first_row = false;
    column = 0;
  };
  for (char ch : art) {
    if (ch == '\n') {
      end_row();
      continue;
    }
    if (ch == '\r') continue;
    uint16_t v = 0;
    if (ch == '#') {
      v = MAP_CELL_BLOCKED;
    } else if (ch == 'w') {
      v = MAP_CELL_WANDER;
    } else if (ch == 's') {
      v = MAP_CELL_SHADED;
    } else if (ch >= '0' && ch <= '9') {
      v = static_cast<uint16_t>(MAP_CELL_REGION | (ch - '0'));
    } else if (ch != '.') {
      throw std::invalid_argument(std::string("cells_from_art: unknown cell '") + ch + "'");
    }
    cells.push_back(v);
    ++column;
  }
  end_row();
  return cells;
}

std::vector<uint8_t> flat_page(uint8_t r, uint8_t g, uint8_t b, int quality) {
  std::vector<uint8_t> rgb(static_cast<size_t>(MAP_PAGE_WIDTH) * MAP_PAGE_HEIGHT * 3);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = r;
    rgb[i + 1] = g;
    rgb[i + 2] = b;
  }
  return jpegbase::encode_rgb(MAP_PAGE_WIDTH, MAP_PAGE_HEIGHT, rgb, quality);
}

}  // namespace mapw
