// The battle control-file loader. The whole file is read once; every count from it is checked
// against what the file still holds before anything is made for it.
#include "world/ani/ani_control.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "client/common/view_frames_free.h"
#include "core/file/whole_file.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "plat/cp936.h"
#include "world/ani/char_view_data.h"
#include "world/scene/view_frames.h"

namespace {

constexpr int32_t MEDIA_NUMBERS = 1024;
constexpr char ANI_MAGIC[] = "vorn control file";  // compared with its NUL
constexpr uint32_t VIEW_FRAME_HEAD_SIZE = 4 * VIEW_FRAME_VALUES;

struct LoadedFile {
  FILE_BUFFER buffer;
  ~LoadedFile() { file_buffer_free(&buffer); }
};

bool magic_matches(const uint8_t* magic) {
  const std::string lower = plat::cp936::asciiLower(std::string_view(reinterpret_cast<const char*>(magic), sizeof ANI_MAGIC));
  return std::memcmp(lower.data(), ANI_MAGIC, sizeof ANI_MAGIC) == 0;
}

void system_message(const char* text) { mda_system_message(1, "%s", text); }

// A media number of the file through the map; -1 for a number outside it or not loaded.
int32_t mapped(const std::array<int32_t, MEDIA_NUMBERS>& map, int32_t number) {
  return number >= 0 && number < MEDIA_NUMBERS ? map[number] : -1;
}
bool id_usable(int32_t id) { return id >= 0 && id < MEDIA_NUMBERS; }

enum class Step { ok, failed };

Step load_chars(plat::ByteReader& r, uint32_t count, std::array<int32_t, MEDIA_NUMBERS>& map) {
  plat::ByteReader recs = r.records(count, CHAR_VIEW_DATA_SIZE, "CHAR_VIEW_DATA");
  try {
    char_view_data.assign(count, CHAR_VIEW_DATA{});
  } catch (const std::bad_alloc&) {
    mda_system_message(1, "Memory error (CHAR_VIEW_DATA)");
    return Step::failed;
  }
  for (CHAR_VIEW_DATA& rec : char_view_data) rec = char_view_read(recs);
  for (CHAR_VIEW_DATA& rec : char_view_data) {
    // The name may fill its field without a NUL.
    const size_t len = strnlen(reinterpret_cast<const char*>(rec.name), sizeof rec.name);
    char media_path[16 + CHAR_VIEW_NAME_SIZE];
    std::snprintf(media_path, sizeof media_path, "ANI\\%.*s", static_cast<int>(len), reinterpret_cast<const char*>(rec.name));
    int32_t id = -1;
    if (mda_load_file(media_path, &id) != 0 || id < 0) {
      mda_system_message(1, "File %s open error", media_path);
      std::vector<CHAR_VIEW_DATA>().swap(char_view_data);
      return Step::failed;
    }
    if (rec.media < 0 || rec.media >= MEDIA_NUMBERS) {
      system_message("Handle error");
      std::vector<CHAR_VIEW_DATA>().swap(char_view_data);
      return Step::failed;
    }
    map[rec.media] = id;
    rec.media = id;
  }
  return Step::ok;
}

Step load_layers(plat::ByteReader& r, uint32_t count, const std::array<int32_t, MEDIA_NUMBERS>& map) {
  plat::ByteReader recs = r.records(count, LAYER_VIEW_DATA_SIZE, "LAYER_VIEW_DATA");
  try {
    layer_view_data.assign(count, LAYER_VIEW_DATA{});
  } catch (const std::bad_alloc&) {
    mda_system_message(1, "Memory error (LAYER_VIEW_DATA)");
    return Step::failed;
  }
  for (LAYER_VIEW_DATA& rec : layer_view_data) {
    rec = layer_view_read(recs);
    const int32_t id = mapped(map, rec.media);
    if (!id_usable(id)) {
      system_message("Handle error");
      std::vector<LAYER_VIEW_DATA>().swap(layer_view_data);
      return Step::failed;
    }
    rec.media = id;
  }
  return Step::ok;
}

// One view frame: its ten values, then with n entries its seven tables. A failure frees this
// frame's tables only.
Step load_view_frame(plat::ByteReader& r, VIEW_FRAME& frame, const std::array<int32_t, MEDIA_NUMBERS>& map) {
  for (int32_t& v : frame.values) v = r.i32("view frame value");
  const uint32_t n = static_cast<uint32_t>(frame.values[VIEW_FRAME_VALUES - 1]);
  if (n == 0) return Step::ok;
  plat::ByteReader tables = r.records(uint64_t{n} * VIEW_FRAME_TABLES, 4, "view frame tables");
  try {
    for (std::vector<int32_t>& t : frame.tables) t.assign(n, 0);
  } catch (const std::bad_alloc&) {
    view_frame_free_tables(frame);
    system_message("Memory error");
    return Step::failed;
  }
  for (int k = 0; k < VIEW_FRAME_TABLES; ++k) {
    for (int32_t& v : frame.tables[k]) {
      v = tables.i32("view frame table");
      if (k != 0) continue;
      const int32_t id = mapped(map, v);
      if (!id_usable(id)) {
        view_frame_free_tables(frame);
        system_message("Handle error");
        return Step::failed;
      }
      v = id;
    }
  }
  return Step::ok;
}

}  // namespace

int32_t ani_check_control_file(const char* path) {
  LoadedFile file{};
  if (load_whole_file(path, &file.buffer) != 0 || file.buffer.length < ANI_HEAD_SIZE) return -2;
  plat::ByteReader r(file.buffer.data, file.buffer.length);
  const ANI_CONTROL_HEAD head = ani_head_read(r);
  if (!magic_matches(head.magic)) return -2;
  if (head.type != 1) {
    mda_message("Ani file type error !");
    return -2;
  }
  return 0;
}

int32_t ani_load_char_view(const char* path) {
  std::array<int32_t, MEDIA_NUMBERS> map;
  map.fill(-1);
  LoadedFile file{};
  if (load_whole_file(path, &file.buffer) != 0) {
    mda_system_message(1, "Can Read file %s", path);
    return -2;
  }
  view_frames_free();
  plat::ByteReader r(file.buffer.data, file.buffer.length);
  // Which step is reading, so that a short file frees what that step made.
  enum { HEAD, CHARS, LAYERS, FRAMES } step = HEAD;
  VIEW_FRAME* frame = nullptr;
  try {
    ani_control_head = ani_head_read(r);
    const ANI_CONTROL_HEAD& head = ani_control_head;
    step = CHARS;
    if (head.char_count > 0 && load_chars(r, head.char_count, map) == Step::failed) return -2;
    step = LAYERS;
    if (head.layer_count > 0 && load_layers(r, head.layer_count, map) == Step::failed) return -2;
    step = FRAMES;
    // Each view frame holds its ten values at least: a count the file cannot hold makes nothing.
    if (uint64_t{head.view_frame_count} * VIEW_FRAME_HEAD_SIZE > r.remaining()) {
      throw plat::MalformedInput("view frames", r.offset(), uint64_t{head.view_frame_count} * VIEW_FRAME_HEAD_SIZE,
                                 r.remaining());
    }
    if (head.view_frame_count > INT32_MAX || view_frames_create(static_cast<int32_t>(head.view_frame_count)) != 0) {
      system_message("Memory error");
      return -2;
    }
    for (VIEW_FRAME& f : view_frames) {
      frame = &f;
      if (load_view_frame(r, f, map) == Step::failed) return -2;
    }
  } catch (const plat::MalformedInput&) {
    if (step == CHARS) std::vector<CHAR_VIEW_DATA>().swap(char_view_data);
    if (step == LAYERS) std::vector<LAYER_VIEW_DATA>().swap(layer_view_data);
    if (frame != nullptr) view_frame_free_tables(*frame);
    mda_system_message(1, "Can Read file %s", path);
    return -2;
  }
  return 0;
}
