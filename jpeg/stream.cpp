// The input stream: memory bytes or a file read through a 4096-byte buffer, with the segment and
// marker readers of the parser.
#include <cstdio>
#include <cstring>
#include <memory>

#include "jpeg/internal.h"
#include "plat/platform.h"

namespace {

void* plat_open(const char* name, const char* mode) {
  if (!plat::installed()) return nullptr;
  std::unique_ptr<plat::File> f = plat::get().files().open(name, mode);
  return f.release();
}
void* plat_open_read(const char* name, void*) { return plat_open(name, "rb"); }
void* plat_open_write(const char* name, void*) { return plat_open(name, "wb+"); }
int64_t plat_read(void* f, void* dst, size_t n, void*) {
  return static_cast<int64_t>(static_cast<plat::File*>(f)->read(dst, n));
}
int64_t plat_write(void* f, const void* src, size_t n, void*) {
  return static_cast<int64_t>(static_cast<plat::File*>(f)->write(src, n));
}
int64_t plat_seek(void* f, int64_t offset, int whence, void*) {
  auto* file = static_cast<plat::File*>(f);
  if (!file->seek(offset, whence)) return -1;
  return file->tell();
}
int32_t plat_close(void* f, void*) {
  auto* file = static_cast<plat::File*>(f);
  bool ok = file->flush();
  delete file;
  return ok ? 0 : -1;
}

const JpegFileOps kPlatformOps{plat_open_read, plat_open_write, plat_read, plat_write, plat_seek, plat_close, nullptr};

}  // namespace

const JpegFileOps* jpeg_default_file_ops() { return &kPlatformOps; }

namespace jcodec {

const JpegFileOps* file_ops_of(const JPEG_PROPERTIES* st) { return st->file_ops ? st->file_ops : &kPlatformOps; }

void stream_reset(JPEG_PROPERTIES* st) {
  JpegStream& s = st->stream;
  s.acc = 0;
  s.bits = 0;
  s.consumed = 0;
  s.pending_marker = 0;
  s.eob_run = 0;
  s.overrun = 0;
  s.eof = 0;
  s.starved = 0;
  s.table = st->table;
  if (s.file) {
    s.ops = file_ops_of(st);
    s.buf = s.file_buffer;
    s.cur = s.end = 0;
    int64_t pos = s.ops->seek(s.file, 0, SEEK_CUR, s.ops->ctx);
    s.file_origin = pos < 0 ? 0 : pos;
  } else {
    s.buf = st->f.jpg_bytes;
    s.total = st->f.jpg_size_bytes > 0 ? static_cast<uint64_t>(st->f.jpg_size_bytes) : 0;
    s.end = static_cast<size_t>(s.total);
    s.cur = s.start <= s.end ? s.start : s.end;
    s.file_origin = 0;
  }
}

// Keeps the unread rest of the buffer (moved to its start) and fills behind it. Discarding it,
// as a plain refill would, loses bytes of a field that straddles the buffer boundary.
int32_t stream_refill(JpegStream* s) {
  size_t rest = s->end - s->cur;
  if (rest && s->cur) std::memmove(s->file_buffer, s->file_buffer + s->cur, rest);
  s->file_origin += static_cast<int64_t>(s->cur);
  s->cur = 0;
  s->end = rest;
  int64_t n = s->ops->read(s->file, s->file_buffer + rest, sizeof s->file_buffer - rest, s->ops->ctx);
  if (n <= 0) return JPEG_ERR_FILE;
  s->end = rest + static_cast<size_t>(n);
  return 0;
}

int64_t stream_position(const JpegStream* s) {
  return s->file ? s->file_origin + static_cast<int64_t>(s->cur) : static_cast<int64_t>(s->cur);
}

int32_t stream_seek(JpegStream* s, int64_t pos) {
  if (!s->file) {
    if (pos < 0 || static_cast<uint64_t>(pos) > s->end) return JPEG_ERR_FILE;
    s->cur = static_cast<size_t>(pos);
    return 0;
  }
  if (pos >= s->file_origin && pos <= s->file_origin + static_cast<int64_t>(s->end)) {
    s->cur = static_cast<size_t>(pos - s->file_origin);
    return 0;
  }
  if (s->ops->seek(s->file, pos, SEEK_SET, s->ops->ctx) < 0) return JPEG_ERR_FILE;
  s->file_origin = pos;
  s->cur = s->end = 0;
  return 0;
}

int32_t stream_take(JpegStream* s, size_t n, const uint8_t** out) {
  if (s->end - s->cur < n) {
    if (!s->file) return JPEG_ERR_MEMORY;
    if (n > sizeof s->file_buffer) return JPEG_ERR_INTERNAL;
    while (s->end - s->cur < n) {
      int32_t rc = stream_refill(s);
      if (rc) return rc;
    }
  }
  *out = s->buf + s->cur;
  s->cur += n;
  s->consumed += n;
  return 0;
}

int32_t stream_take_block(JpegStream* s, size_t n, const uint8_t** out, uint8_t** owned) {
  *owned = nullptr;
  if (s->end - s->cur >= n) return stream_take(s, n, out);
  if (!s->file) return JPEG_ERR_DATA;
  uint8_t* block = alloc_array<uint8_t>(n);
  if (!block) return JPEG_ERR_MEMORY;
  size_t have = s->end - s->cur;
  std::memcpy(block, s->buf + s->cur, have);
  s->cur += have;
  s->consumed += have;
  while (have < n) {
    size_t piece = n - have < sizeof s->file_buffer ? n - have : sizeof s->file_buffer;
    const uint8_t* p = nullptr;
    if (stream_take(s, piece, &p)) {
      release(block);
      return JPEG_ERR_DATA;
    }
    std::memcpy(block + have, p, piece);
    have += piece;
  }
  *out = block;
  *owned = block;
  return 0;
}

int32_t stream_u16(JpegStream* s, int32_t* v) {
  const uint8_t* p = nullptr;
  int32_t rc = stream_take(s, 2, &p);
  if (rc) return rc;
  *v = (p[0] << 8) | p[1];
  return 0;
}

int32_t stream_skip(JpegStream* s, size_t n) {
  while (n) {
    size_t avail = s->end - s->cur;
    if (avail == 0) {
      if (!s->file || stream_refill(s)) return JPEG_ERR_DATA;
      continue;
    }
    size_t piece = n < avail ? n : avail;
    s->cur += piece;
    s->consumed += piece;
    n -= piece;
  }
  return 0;
}

namespace {

// Next byte without taking it: 0 ok, 1 end of file input, -5 end of memory input.
int32_t peek_byte(JpegStream* s, uint8_t* b) {
  if (s->cur >= s->end) {
    if (!s->file) return JPEG_ERR_MEMORY;
    if (stream_refill(s)) return 1;
  }
  *b = s->buf[s->cur];
  return 0;
}

}  // namespace

// Leaves cur on the marker code. 1 at the end of file input.
int32_t stream_find_marker(JpegStream* s) {
  for (;;) {
    uint8_t b = 0;
    int32_t rc = peek_byte(s, &b);
    if (rc) return rc;
    ++s->cur;
    ++s->consumed;
    if (b != 0xFF) continue;
    for (;;) {
      rc = peek_byte(s, &b);
      if (rc) return rc;
      if (b != 0xFF) break;
      ++s->cur;
      ++s->consumed;
    }
    if (b == 0x00) {
      ++s->cur;
      ++s->consumed;
      continue;
    }
    return 0;
  }
}

int32_t stream_next_marker(JpegStream* s, int32_t* code) {
  if (s->pending_marker) {
    *code = s->pending_marker;
    s->pending_marker = 0;
    return 0;
  }
  int32_t rc = stream_find_marker(s);
  if (rc == 1) {
    *code = 256;
    return 0;
  }
  if (rc) return rc;
  *code = s->buf[s->cur];
  ++s->cur;
  ++s->consumed;
  return 0;
}

}  // namespace jcodec
