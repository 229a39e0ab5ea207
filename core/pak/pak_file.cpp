// Open data files: disk files through the path resolver, archive entries through the cache.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "core/pak/pak_internal.h"
#include "core/log/log.h"
#include "plat/bytes.h"
#include "plat/cp936.h"
#include "plat/platform.h"

namespace {

bool is_entry(const PAK_FILE* f) { return f->archive != nullptr; }

// Makes the file's slot hold `block`, decoding only when it holds another one (a slot kept
// across a seek must never serve the old block's bytes). Null when decoding fails.
const uint8_t* block_in_slot(PAK_FILE* f, uint32_t block) {
  const int slot = pak_cache_take(f);
  if (pak_cache_block(slot) == block) return pak_cache_buffer(slot);
  pak_cache_set_block(slot, -1);
  if (!pak_decode_block(f, block, pak_cache_buffer(slot), false)) return nullptr;
  pak_cache_set_block(slot, block);
  return pak_cache_buffer(slot);
}

size_t read_entry(PAK_FILE* f, uint8_t* out, uint64_t want) {
  if (f->position >= f->size) return 0;
  want = std::min<uint64_t>(want, f->size - f->position);
  size_t copied = 0;
  while (want > 0) {
    const uint32_t block = f->position >> PAK_BLOCK_SHIFT;
    const uint32_t offset = f->position & (PAK_BLOCK_SIZE - 1);
    const uint32_t whole = static_cast<uint32_t>(std::min<uint64_t>(PAK_BLOCK_SIZE, f->size - (uint64_t{block} << PAK_BLOCK_SHIFT)));
    uint32_t n;
    if (offset == 0 && want >= whole) {
      // A whole block, the short last one included, goes straight into the caller's buffer.
      if (!pak_decode_block(f, block, out + copied, true)) break;
      n = whole;
    } else {
      const uint8_t* data = block_in_slot(f, block);
      if (!data) break;
      n = static_cast<uint32_t>(std::min<uint64_t>(want, PAK_BLOCK_SIZE - offset));
      std::memcpy(out + copied, data + offset, n);
    }
    copied += n;
    want -= n;
    f->position += n;
  }
  return copied;
}

}  // namespace

PAK_FILE* pak_open_entry(PAK_ARCHIVE* archive, size_t index) {
  const PakEntry& e = archive->entries[index];
  const uint64_t blocks = (uint64_t{e.size} + PAK_BLOCK_SIZE - 1) >> PAK_BLOCK_SHIFT;
  const uint64_t data_start = uint64_t{e.offset} + 2 * blocks;
  bool ok = data_start <= archive->file_size;
  std::vector<uint8_t> table;
  if (ok) {
    table.resize(2 * blocks);
    ok = pak_read_at(*archive->file, e.offset, table.data(), table.size(), &archive->file_pos);
  }
  auto f = std::make_unique<PAK_FILE>();
  if (ok) {
    f->lengths.resize(blocks);
    f->offsets.resize(blocks);
    plat::ByteReader r(table.data(), table.size(), e.offset);
    uint64_t at = data_start;
    for (uint64_t b = 0; b < blocks; ++b) {
      const uint16_t length = r.u16("block length");
      f->lengths[b] = length;
      f->offsets[b] = at;
      // A raw block is always read as 65536 bytes, even the last one.
      at += length == 0 ? PAK_BLOCK_SIZE : length;
    }
    ok = at <= archive->file_size;
  }
  if (!ok) {
    sys_log_printf(1, "error entry %d of file %s", static_cast<int>(index), archive->path.c_str());
    return nullptr;
  }
  f->archive = archive;
  f->size = e.size;
  ++archive->open_entries;
  return f.release();
}

PAK_FILE* pak_fopen(const char* path, const char* mode) {
  if (!path || !mode) return nullptr;
  const std::string lower = plat::cp936::asciiLower(path);
  if (std::unique_ptr<plat::File> disk = plat::get().files().open(lower, mode)) {
    auto* f = new PAK_FILE;
    const int64_t size = disk->size();
    f->size = size > 0 ? static_cast<uint32_t>(std::min<int64_t>(size, UINT32_MAX)) : 0;
    f->disk = std::move(disk);
    return f;
  }
  PAK_ARCHIVE* archive = pak_state().current;
  if (!archive) return nullptr;
  const long index = pak_find_entry(archive, pak_name_hash(lower.c_str()));
  if (index < 0) return nullptr;
  return pak_open_entry(archive, static_cast<size_t>(index));
}

size_t pak_fread(void* buffer, size_t size, size_t count, PAK_FILE* file) {
  if (!file || !buffer || size == 0 || count == 0) return 0;
  uint64_t want;
  if (__builtin_mul_overflow(uint64_t{size}, uint64_t{count}, &want)) want = UINT64_MAX;
  if (!is_entry(file)) return file->disk->read(buffer, static_cast<size_t>(want)) / size;
  return read_entry(file, static_cast<uint8_t*>(buffer), want);
}

int pak_fseek(PAK_FILE* file, long offset, int whence) {
  if (!file) return -1;
  if (!is_entry(file)) return file->disk->seek(offset, whence) ? 0 : -1;
  int64_t to;
  switch (whence) {
    case 0: to = offset; break;
    case 1: to = int64_t{file->position} + offset; break;
    case 2: to = int64_t{file->size} + offset - 1; break;  // the last byte, not one past it
    default: return 0;
  }
  // An empty entry keeps position 0: clamping to size - 1 would point before its start.
  if (file->size == 0) {
    file->position = 0;
    return 0;
  }
  to = std::clamp<int64_t>(to, 0, int64_t{file->size} - 1);
  file->position = static_cast<uint32_t>(to);
  return 0;
}

long pak_ftell(PAK_FILE* file) {
  if (!file) return -1;
  if (!is_entry(file)) return static_cast<long>(file->disk->tell());
  return static_cast<long>(file->position);
}

long pak_fsize(PAK_FILE* file) { return file ? static_cast<long>(file->size) : 0; }

size_t pak_fwrite(const void* buffer, size_t size, size_t count, PAK_FILE* file) {
  if (!file || !buffer || size == 0 || is_entry(file)) return 0;
  size_t bytes;
  if (__builtin_mul_overflow(size, count, &bytes)) return 0;
  return file->disk->write(buffer, bytes) / size;
}

int pak_fclose(PAK_FILE* file) {
  if (!file) return 0;
  pak_cache_release(file);
  PAK_ARCHIVE* archive = file->archive;
  delete file;
  if (archive && --archive->open_entries == 0 && archive->closed) pak_release_archive(archive);
  return 0;
}
