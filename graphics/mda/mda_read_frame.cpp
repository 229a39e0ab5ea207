// Single frames read from a media file on disk without loading it.
#include <memory>

#include "graphics/img256/sprite_slot.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "graphics/primitives/gfx_block.h"
#include "plat/platform.h"

namespace {

enum class Failure { None, Check, Memory };

// The frame's bytes after the same checks as a load: table and frame inside the file, an image
// frame's head and stream whole.
Failure read_checked(plat::File& file, int64_t file_size, uint32_t table_offset, int32_t count, int32_t frame,
                     uint8_t** out, uint32_t* size) {
  const uint64_t table_bytes = uint64_t{static_cast<uint32_t>(count)} * MDA_FRAME_RECORD_SIZE;
  if (table_offset + table_bytes > static_cast<uint64_t>(file_size)) return Failure::Check;
  auto* table = static_cast<uint8_t*>(gfx_block_alloc(static_cast<size_t>(table_bytes)));
  if (!table) return Failure::Memory;
  const bool got = file.seek(table_offset, 0) && file.read(table, table_bytes) == table_bytes;
  plat::ByteReader r(table, static_cast<size_t>(table_bytes));
  r.skip(static_cast<size_t>(frame) * MDA_FRAME_RECORD_SIZE + MDA_FRAME_NAME_SIZE, "frame record");
  const uint32_t offset = r.u32("frame offset"), bytes = r.u32("frame size");
  gfx_block_free(table);
  if (!got || uint64_t{offset} + bytes > static_cast<uint64_t>(file_size)) return Failure::Check;
  auto* data = static_cast<uint8_t*>(gfx_block_alloc(bytes));
  if (!data) return Failure::Memory;
  Img256Frame view;
  if (!file.seek(offset, 0) || file.read(data, bytes) != bytes ||
      (mda_frame_kind(data, bytes) == MDA_FRAME_IMAGE && img256_open(data, bytes, &view) != 0)) {
    gfx_block_free(data);
    return Failure::Check;
  }
  *out = data;
  if (size) *size = bytes;
  return Failure::None;
}

}  // namespace

int mda_read_frame_sized(const char* path, int32_t frame, uint8_t** out, uint32_t* size) {
  if (out) *out = nullptr;
  if (!out) return -2;
  std::unique_ptr<plat::File> file = path && *path ? plat::get().files().open(path, "rb") : nullptr;
  if (!file) {
    mda_message("Unable to launch %s file", path ? path : "");
    return -2;
  }
  if (mda_check_file(path) != 0) {
    mda_message("%s file check error", path);
    return -2;
  }
  uint8_t head[MDA_HEAD_SIZE];
  if (file->read(head, sizeof(head)) != sizeof(head)) {
    mda_message("%s file check error", path);
    return -2;
  }
  plat::ByteReader r(head, sizeof(head));
  r.skip(24, "magic");
  const int32_t count = r.i32("frame_count");
  r.skip(4, "script_flag");
  const uint32_t table_offset = r.u32("frame_table");
  if (count < 1 || frame < 0 || frame >= count) {
    mda_message("Read mda frame no error (%d/%d)", frame, count);
    return -2;
  }
  Failure failure;
  try {
    failure = read_checked(*file, file->size(), table_offset, count, frame, out, size);
  } catch (const plat::MalformedInput&) {
    failure = Failure::Check;
  }
  if (failure == Failure::Memory) mda_message("Unable to collocate memory");
  if (failure == Failure::Check) mda_message("%s file check error", path);
  return failure == Failure::None ? 0 : -2;
}

int mda_read_frame(const char* path, int32_t frame, uint8_t** out) {
  return mda_read_frame_sized(path, frame, out, nullptr);
}

int mda_read_frame_to_slot(const char* path, int32_t frame, uint8_t** out, int slot) {
  uint32_t size = 0;
  if (mda_read_frame_sized(path, frame, out, &size) != 0) return -2;
  Img256Frame view;
  if (img256_open(*out, size, &view) != 0) return -2;
  return img256_build_slot(&view, slot) ? 0 : -2;
}

void mda_frame_buffer_free(uint8_t** buffer) {
  if (!buffer) return;
  gfx_block_free(*buffer);
  *buffer = nullptr;
}
