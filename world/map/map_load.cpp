// map_load_file: the whole file is read, checked against its own size and parsed into a fresh
// record; only a file that was read whole replaces the loaded map.
#include "world/map/map_load.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>
#include <utility>

#include "core/log/log.h"
#include "core/pak/pak.h"
#include "engine/system/system.h"
#include "graphics/img256/scene_view_origin.h"
#include "plat/cp936.h"
#include "world/map/map_data.h"
#include "world/map/map_pages.h"
#include "world/map/map_scene_reset.h"
#include "world/map/small_map.h"
#include "world/map/walk_grid.h"
#include "world/scene/scene_chars.h"

namespace {

// Why a load stopped; each carries its own text and where it goes.
enum class Fail { Edition, Format, Memory };

struct LoadError {
  Fail kind;
};

[[noreturn]] void fail(Fail kind) { throw LoadError{kind}; }

// A NUL-terminated name within its field equal to want, ignoring ASCII case.
bool block_name_is(const char* field, size_t size, const char* want) {
  const size_t n = strnlen(field, size);
  if (n == size || n != std::strlen(want)) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = field[i], b = want[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// A text field of the file into a buffer of size + 1: up to its NUL, never cutting a character.
void copy_text(char* out, const char* field, size_t size) {
  const std::string_view text(field, strnlen(field, size));
  const size_t n = plat::cp936::wholeLength(text, size);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

template <class R, size_t N, class Walk>
R read_at(plat::ByteReader& file, uint64_t offset, const plat::FieldSpec (&fields)[N], size_t size, Walk walk) {
  if (offset > file.size() || file.size() - offset < size) fail(Fail::Format);
  file.seek(static_cast<size_t>(offset));
  R record{};
  plat::ByteReader block = file.sub(size);
  plat::readFields(block, fields, record, walk);
  return record;
}

// count records of size bytes at offset, all inside the file.
plat::ByteReader records_at(plat::ByteReader& file, uint64_t offset, int64_t count, uint64_t size) {
  if (count < 0 || offset > file.size()) fail(Fail::Format);
  const uint64_t room = file.size() - offset;
  if (static_cast<uint64_t>(count) > room / size) fail(Fail::Format);
  file.seek(static_cast<size_t>(offset));
  return file.sub(static_cast<size_t>(static_cast<uint64_t>(count) * size));
}

void read_images(plat::ByteReader& file, const MAP_FILE_HEAD& head, MAP_RECORD& map) {
  const auto block = read_at<MAP_FILE_LIST_BLOCK>(file, head.image_offset, MAP_FILE_LIST_BLOCK_FIELDS,
                                                  MAP_LIST_BLOCK_SIZE, MAP_FILE_LIST_BLOCK_WALK);
  if (!block_name_is(block.name, MAP_BLOCK_NAME_SIZE, "MAP_IMG")) fail(Fail::Format);
  if (block.count <= 0) return;
  plat::ByteReader table = records_at(file, block.offset, block.count, 4);
  // Every head is 52 bytes of the file, so the count is bounded by the bytes present.
  if (static_cast<uint64_t>(block.count) > file.size() / MAP_IMAGE_HEAD_SIZE) fail(Fail::Format);
  map.images.resize(static_cast<size_t>(block.count));
  for (MAP_IMAGE& image : map.images) {
    const uint32_t at = table.u32("image offset");
    const auto h = read_at<MAP_FILE_IMAGE_HEAD>(file, at, MAP_FILE_IMAGE_HEAD_FIELDS, MAP_IMAGE_HEAD_SIZE,
                                                MAP_FILE_IMAGE_HEAD_WALK);
    plat::ByteReader data = records_at(file, h.data_offset, h.data_size, 1);
    const auto bytes = data.rest();
    image.data.assign(bytes.begin(), bytes.end());
    image.width = h.width;
    image.height = h.height;
    image.left = h.left;
    image.top = h.top;
    image.anchor_x = h.anchor_x;
    image.anchor_y = h.anchor_y;
    image.flags = static_cast<uint8_t>(h.flags & MAP_IMAGE_FLAG_MASK);
    // A mask of one bit a pixel; layered images whose bytes fall short keep none.
    const int64_t mask_bytes = int64_t{h.width / 8} * h.height;
    image.has_mask = image.flags == MAP_IMAGE_LAYERED && h.width > 0 && h.height > 0 &&
                     static_cast<int64_t>(image.data.size()) >= mask_bytes;
  }
  // The background's page container: its size table and how many pages a row holds.
  const std::vector<uint8_t>& pages = map.images[0].data;
  if (pages.size() < static_cast<size_t>(MAP_PAGE_STREAMS_OFFSET)) fail(Fail::Format);
  const uint32_t across = plat::ByteReader(pages.data(), pages.size()).u32("pages across");
  if (across < 1 || across > static_cast<uint32_t>(MAP_PAGE_TABLE_SIDE)) fail(Fail::Format);
}

// Returns false for a wrong name (an edition error); a count off is a format error.
bool read_cells(plat::ByteReader& file, const MAP_FILE_HEAD& head, MAP_RECORD& map) {
  const auto block = read_at<MAP_FILE_LIST_BLOCK>(file, head.event_offset, MAP_FILE_LIST_BLOCK_FIELDS,
                                                  MAP_LIST_BLOCK_SIZE, MAP_FILE_LIST_BLOCK_WALK);
  if (!block_name_is(block.name, MAP_BLOCK_NAME_SIZE, "EVENT")) return false;
  if (int64_t{block.count} != int64_t{map.cells_across} * map.cells_down) fail(Fail::Format);
  plat::ByteReader cells = records_at(file, block.offset, block.count, 2);
  map.cells.resize(static_cast<size_t>(block.count));
  for (uint16_t& c : map.cells) c = cells.u16("cell");
  return true;
}

bool read_control(plat::ByteReader& file, const MAP_FILE_HEAD& head, MAP_RECORD& map) {
  const auto block = read_at<MAP_FILE_CONTROL>(file, head.control_offset, MAP_FILE_CONTROL_FIELDS,
                                               MAP_CONTROL_BLOCK_SIZE, MAP_FILE_CONTROL_WALK);
  if (!block_name_is(block.name, MAP_BLOCK_NAME_SIZE, "CONTROL")) return false;
  if (block.object_count > 0) {
    plat::ByteReader objects = records_at(file, block.object_offset, block.object_count, MAP_OBJECT_RECORD_SIZE);
    map.objects.resize(static_cast<size_t>(block.object_count));
    for (MAP_OBJECT& o : map.objects) {
      MAP_FILE_OBJECT r{};
      plat::readFields(objects, MAP_FILE_OBJECT_FIELDS, r, MAP_FILE_OBJECT_WALK);
      o = MAP_OBJECT{};
      copy_text(o.name, r.name, MAP_NAME_FIELD);
      o.x = r.x;
      o.y = r.y;
      o.kind = r.kind;
      o.value = r.value;
      o.look = -1;
      o.voice = -1;
    }
  }
  if (block.region_count >= 1) {
    plat::ByteReader regions = records_at(file, block.region_offset, block.region_count, MAP_REGION_RECORD_SIZE);
    map.regions.resize(static_cast<size_t>(block.region_count));
    for (MAP_REGION& g : map.regions) {
      MAP_FILE_REGION r{};
      plat::readFields(regions, MAP_FILE_REGION_FIELDS, r, MAP_FILE_REGION_WALK);
      copy_text(g.name, r.name, MAP_NAME_FIELD);
      g.number = r.number;
      std::memcpy(g.values, r.values, sizeof g.values);
      copy_text(g.text, r.text, MAP_REGION_TEXT_FIELD);
      g.value_220 = r.value_220;
      g.value_224 = r.value_224;
    }
  }
  return true;
}

void check_sizes(const MAP_FILE_HEAD& head) {
  if (head.cell_width < 1 || head.cell_height < 1) fail(Fail::Format);
  if (head.map_width < 1 || head.map_width > MAP_MAX_WIDTH) fail(Fail::Format);
  if (head.map_height < 1 || head.map_height > MAP_MAX_HEIGHT) fail(Fail::Format);
  const int64_t cells = int64_t{head.map_width / head.cell_width} * (head.map_height / head.cell_height);
  if (cells > MAP_MAX_CELLS) fail(Fail::Format);
}

// One view coordinate: centred on the player, kept inside the map.
int32_t view_start(int32_t at, int32_t half, int32_t size) {
  int32_t start = at - half;
  if (at + half >= size) start = size - 2 * half;
  return start < 0 ? 0 : start;
}

// The file's bytes, or false after the open message.
bool read_file(const char* path, std::vector<uint8_t>& bytes) {
  PAK_FILE* f = pak_fopen(path, "rb");
  if (!f) {
    std::snprintf(sys_message_buffer(), SYS_MESSAGE_BUFFER_SIZE, "Unable to launch %s file", path);
    sys_log(1, sys_message_buffer());
    return false;
  }
  const long size = pak_fsize(f);
  try {
    bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
  } catch (const std::bad_alloc&) {
    pak_fclose(f);
    throw LoadError{Fail::Memory};
  }
  const size_t got = bytes.empty() ? 0 : pak_fread(bytes.data(), 1, bytes.size(), f);
  bytes.resize(got);
  pak_fclose(f);
  return true;
}

// The loaded map gives way to the fresh one; the page cache stays with the scene.
void swap_in(MAP_RECORD& fresh, WALK_GRID& grid) {
  map_control_free();
  std::memcpy(fresh.pages, map_record.pages, sizeof fresh.pages);
  fresh.view_copy_x = map_record.view_copy_x;
  fresh.view_copy_y = map_record.view_copy_y;
  map_record = std::move(fresh);
  walk_grid_free(&scene_walk_grid);
  scene_walk_grid = grid;
  grid = WALK_GRID{};
}

void report(Fail kind, const char* path) {
  switch (kind) {
    case Fail::Edition:
      std::snprintf(sys_message_buffer(), SYS_MESSAGE_BUFFER_SIZE, "Map file(%s) edition error", path);
      break;
    case Fail::Format:
      std::snprintf(sys_message_buffer(), SYS_MESSAGE_BUFFER_SIZE, "Map file(%s) format error", path);
      sys_log(1, sys_message_buffer());
      break;
    case Fail::Memory:
      sys_log_printf(1, "Unable to collocate memory");
      break;
  }
}

}  // namespace

int32_t map_load_file(const char* path, int32_t x, int32_t y) {
  if (!path) path = "";
  std::vector<uint8_t> bytes;
  WALK_GRID grid{};
  try {
    if (!read_file(path, bytes)) return -2;
    plat::ByteReader file(bytes.data(), bytes.size());
    MAP_FILE_HEAD head{};
    if (bytes.size() >= static_cast<size_t>(MAP_FILE_HEAD_OFFSET + MAP_HEAD_SIZE)) {
      head = read_at<MAP_FILE_HEAD>(file, MAP_FILE_HEAD_OFFSET, MAP_FILE_HEAD_FIELDS, MAP_HEAD_SIZE,
                                    MAP_FILE_HEAD_WALK);
    }
    if (!block_name_is(head.name, MAP_BLOCK_NAME_SIZE, "MAP_HEAD") || head.version != MAP_FILE_VERSION) {
      fail(Fail::Edition);
    }
    map_scene_reset_effects();

    MAP_RECORD fresh{};
    copy_text(fresh.path, path, std::strlen(path) < MAP_PATH_SIZE - 1 ? std::strlen(path) : MAP_PATH_SIZE - 1);
    copy_text(fresh.title, head.title, MAP_BLOCK_NAME_SIZE);
    check_sizes(head);
    fresh.display = MAP_DISPLAY{head.cell_width, head.cell_height, head.map_width, static_cast<int32_t>(head.kept)};
    fresh.map_height = head.map_height;
    fresh.cells_across = head.map_width / head.cell_width;
    fresh.cells_down = head.map_height / head.cell_height;
    read_images(file, head, fresh);
    if (!read_cells(file, head, fresh) || !read_control(file, head, fresh)) fail(Fail::Edition);
    bytes = {};
    if (walk_grid_create(&grid, fresh.cells_across, fresh.cells_down, fresh.display.cell_width,
                         fresh.display.cell_height, fresh.cells.data()) != 0) {
      fail(Fail::Memory);
    }
    swap_in(fresh, grid);
  } catch (const LoadError& e) {
    walk_grid_free(&grid);
    report(e.kind, path);
    return -2;
  } catch (const plat::MalformedInput&) {
    walk_grid_free(&grid);
    report(Fail::Format, path);
    return -2;
  } catch (const std::bad_alloc&) {
    walk_grid_free(&grid);
    report(Fail::Memory, path);
    return -2;
  }

  // Look lookups may run nested frames: find the player again by id.
  const int32_t player = scene_find_char(scene_player_id);
  if (player >= 0) scene_load_char_display(player);
  scene_view_origin.x = view_start(x, MAP_PAGE_WIDTH / 2, map_record.display.map_width);
  scene_view_origin.y = view_start(y, MAP_PAGE_HEIGHT / 2, map_record.map_height);
  map_record.view_copy_x = scene_view_origin.x;
  map_record.view_copy_y = scene_view_origin.y;
  if (map_page_cache_fill(scene_view_origin.x, scene_view_origin.y) != 0) return -2;
  map_build_small_map();
  scene_zoom_level = 0;
  return 0;
}
