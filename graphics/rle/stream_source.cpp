#include "graphics/rle/stream_source.h"

#include <cstdio>
#include <limits>

#include "core/pak/pak.h"
#include "plat/files.h"

bool StreamSource::u32(uint32_t& v) {
  uint8_t b[4];
  if (!read(b, 4)) return false;
  v = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
      static_cast<uint32_t>(b[3]) << 24;
  return true;
}

bool FileSource::read(void* dst, size_t n) { return n == 0 || (f_ && f_->read(dst, n) == n); }
bool FileSource::seek(int64_t position) { return f_ && position >= 0 && f_->seek(position, SEEK_SET); }
int64_t FileSource::tell() { return f_ ? f_->tell() : 0; }
int64_t FileSource::size() { return f_ ? f_->size() : 0; }

bool PakSource::read(void* dst, size_t n) {
  if (n == 0) return true;
  if (!f_ || at_end_ || static_cast<uint64_t>(remaining()) < n) return false;
  return pak_fread(dst, 1, n, f_) == n;
}
// An archive entry clamps seeks to its last byte, so standing at the end is remembered here.
bool PakSource::seek(int64_t position) {
  if (!f_ || position < 0 || position > size() || position > std::numeric_limits<long>::max()) return false;
  at_end_ = position == size();
  if (at_end_) return true;
  return pak_fseek(f_, static_cast<long>(position), SEEK_SET) == 0;
}
int64_t PakSource::tell() { return !f_ ? 0 : at_end_ ? size() : pak_ftell(f_); }
int64_t PakSource::size() { return f_ ? pak_fsize(f_) : 0; }
