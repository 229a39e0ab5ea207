// Loading a media file into the table, with every offset and frame checked before use.
#include <cstring>
#include <new>

#include "core/file/file_checks.h"
#include "graphics/mda/mda_index.h"
#include "graphics/mda/mda_internal.h"
#include "graphics/mda/mda_services.h"
#include "graphics/primitives/gfx_block.h"
#include "plat/platform.h"

namespace {

constexpr char kMagic[MDA_MAGIC_SIZE] = "VORN MEDIA FILE";

enum class Failure { None, NotMda, Memory };

// The frame table from offset 40, each frame inside the file, and every image frame's head and
// stream. The file's own sizes are not trusted: a file that fails is refused as a whole.
Failure read_frames(MDA_ENTRY& e) {
  if (e.frame_count < 1) return Failure::None;
  const uint64_t table_end = MDA_HEAD_SIZE + uint64_t{static_cast<uint32_t>(e.frame_count)} * MDA_FRAME_RECORD_SIZE;
  if (table_end > e.data_size) return Failure::NotMda;
  const size_t n = static_cast<size_t>(e.frame_count);
  e.frames = static_cast<MDA_FRAME_RECORD*>(gfx_block_alloc(n * sizeof(MDA_FRAME_RECORD)));
  if (!e.frames) return Failure::Memory;
  e.images = static_cast<Img256Frame*>(gfx_block_alloc(n * sizeof(Img256Frame)));
  if (!e.images) return Failure::Memory;
  for (size_t i = 0; i < n; ++i) new (&e.images[i]) Img256Frame();
  plat::ByteReader r(e.data + MDA_HEAD_SIZE, n * MDA_FRAME_RECORD_SIZE);
  for (size_t i = 0; i < n; ++i) {
    MDA_FRAME_RECORD& f = e.frames[i];
    r.copy(f.name, MDA_FRAME_NAME_SIZE, "frame name");
    f.offset = r.u32("frame offset");
    f.size = r.u32("frame size");
    if (uint64_t{f.offset} + f.size > e.data_size) return Failure::NotMda;
    uint8_t* data = e.data + f.offset;
    if (mda_frame_kind(data, f.size) == MDA_FRAME_IMAGE && img256_open(data, f.size, &e.images[i]) != 0) {
      return Failure::NotMda;
    }
  }
  return Failure::None;
}

// Everything after the entry was added; the entry is filled in e and stored by the caller.
Failure fill_entry(MDA_ENTRY& e, const char* path, int* long_names) {
  const int64_t length = file_length(path);
  if (length < static_cast<int64_t>(MDA_HEAD_SIZE)) return Failure::NotMda;
  if (length > static_cast<int64_t>(UINT32_MAX)) return Failure::Memory;
  e.data = static_cast<uint8_t*>(gfx_block_alloc(static_cast<size_t>(length)));
  if (!e.data) return Failure::Memory;
  auto file = plat::get().files().open(path, "rb");
  if (!file || file->read(e.data, static_cast<size_t>(length)) != static_cast<size_t>(length)) return Failure::NotMda;
  e.data_size = static_cast<uint32_t>(length);

  plat::ByteReader head(e.data, MDA_HEAD_SIZE);
  head.skip(24, "magic");
  e.frame_count = head.i32("frame_count");
  const int32_t script_flag = head.i32("script_flag");
  e.frame_table_offset = head.u32("frame_table");
  e.script_offset = head.u32("script");
  if (e.frame_count < 0) return Failure::NotMda;
  e.command_count = mda_count_commands(e.data, e.data_size, e.script_offset);
  e.last_frame = -1;

  const Failure frames = read_frames(e);
  if (frames != Failure::None) return frames;
  if (script_flag >= 1 && mda_compile_into(e, long_names) != 0) return Failure::Memory;
  e.index = mda_index_build(e);
  return e.index ? Failure::None : Failure::Memory;
}

void copy_path(char* out, const char* path) {
  const size_t n = strnlen(path, MDA_PATH_SIZE - 1);
  std::memcpy(out, path, n);
  out[n] = 0;
}

}  // namespace

int mda_check_file(const char* path) {
  if (!path || !*path) return -2;
  auto file = plat::get().files().open(path, "rb");
  if (!file) return -2;
  uint8_t head[MDA_HEAD_SIZE];
  if (file->read(head, sizeof(head)) != sizeof(head)) return -2;
  return std::memcmp(head, kMagic, MDA_MAGIC_SIZE) == 0 ? 0 : -2;
}

int mda_load_file(const char* path, int32_t* out_id) {
  if (out_id) *out_id = -1;
  if (!path || !*path || !plat::get().files().open(path, "rb")) {
    mda_message("Unable to launch %s file", path ? path : "");
    return -2;
  }
  if (mda_check_file(path) != 0) {
    mda_message("%s is not MDA file", path);
    return -2;
  }
  const int32_t index = mda_table_add_entry();
  if (index < 0) {
    mda_message("Unable to create %s file", path);
    return -2;
  }
  MDA_ENTRY e = mda_table.entries[index];
  copy_path(e.file_name, path);
  int long_names = 0;
  Failure failure;
  try {
    failure = fill_entry(e, path, &long_names);
  } catch (const plat::MalformedInput&) {
    failure = Failure::NotMda;
  }
  // No box has run since the entry was added, so index still names it.
  if (failure != Failure::None) {
    // A failed load leaves no entry behind: its id was never handed out.
    mda_entry_free_blocks(e);
    mda_table_remove_at(&mda_table, index);
    mda_table.count = mda_table.entries.count;
    if (failure == Failure::Memory) {
      mda_message("Unable to collocate memory");
    } else {
      mda_message("%s is not MDA file", path);
    }
    return -2;
  }
  mda_table.entries[index] = e;
  if (out_id) *out_id = e.id;
  for (int i = 0; i < long_names; ++i) mda_message("%s", kMdaLongNameMessage);
  return 0;
}
