// Decoding one stored block of an archive entry: raw, or LZO1X with every length checked.
#include <lzo/lzo1x.h>

#include "core/pak/pak_internal.h"
#include "core/log/log.h"

namespace {

bool lzo_ready() {
  static const bool ok = lzo_init() == LZO_E_OK;
  return ok;
}

}  // namespace

bool pak_read_at(plat::File& file, uint64_t offset, void* dst, size_t n, int64_t* position) {
  if (offset > static_cast<uint64_t>(INT64_MAX) - n) return false;
  const auto at = static_cast<int64_t>(offset);
  if (!position || *position != at) {
    if (position) *position = -1;
    if (!file.seek(at, 0)) return false;
  }
  const bool ok = file.read(dst, n) == n;
  if (position) *position = ok ? at + static_cast<int64_t>(n) : -1;
  return ok;
}

bool pak_decode_block(PAK_FILE* file, uint32_t block, uint8_t* dst, bool direct) {
  PAK_ARCHIVE* archive = file->archive;
  PakState& st = pak_state();
  ++st.stats.decodes;
  if (direct) ++st.stats.direct;
  const uint64_t start = uint64_t{block} << PAK_BLOCK_SHIFT;
  const uint64_t rest = file->size - start;
  const lzo_uint expected = rest < PAK_BLOCK_SIZE ? static_cast<lzo_uint>(rest) : PAK_BLOCK_SIZE;
  const uint16_t length = file->lengths[block];
  const uint64_t offset = file->offsets[block];
  bool ok;
  // Only the entry's own bytes are written: a raw block's padding past the entry's end is never
  // served, and a decoded block longer than expected is an overrun, so dst may be the caller's
  // buffer with exactly `expected` bytes of room.
  if (length == 0) {
    ok = pak_read_at(*archive->file, offset, dst, expected, &archive->file_pos);
  } else {
    uint8_t* packed = pak_cache_packed_buffer();
    lzo_uint out = expected;
    ok = lzo_ready() && pak_read_at(*archive->file, offset, packed, length, &archive->file_pos) &&
         lzo1x_decompress_safe(packed, length, dst, &out, nullptr) == LZO_E_OK && out == expected;
  }
  if (!ok) sys_log_printf(1, "error block %d of file %s", static_cast<int>(block), archive->path.c_str());
  return ok;
}
