// The stdio-style operations table, over plat::get().files().
#include "engine/interface/stdio_file_ops.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "plat/platform.h"

namespace {

plat::File* op_open(const char* path, const char* mode, int /*unused*/) {
  if (!path || !mode) return nullptr;
  return plat::get().files().open(path, mode).release();
}

void op_close(plat::File* file) { delete file; }

size_t op_read(void* buffer, size_t bytes, plat::File* file) {
  return file && buffer ? file->read(buffer, bytes) : 0;
}

size_t op_write(const void* buffer, size_t bytes, plat::File* file) {
  return file && buffer ? file->write(buffer, bytes) : 0;
}

int op_seek(plat::File* file, long offset, int whence) {
  if (!file) return 0;
  if (whence != SEEK_SET && whence != SEEK_CUR) whence = SEEK_END;
  return file->seek(offset, whence) ? 0 : -1;
}

long op_tell(plat::File* file) { return file ? static_cast<long>(file->tell()) : -1; }

uint32_t op_size_of_path(const char* path) {
  if (!path) return 0;
  auto st = plat::get().files().stat(path);
  return st ? static_cast<uint32_t>(st->size) : 0;
}

uint32_t op_size_of_file(plat::File* file) {
  if (!file) return 0;
  const int64_t at = file->tell();
  file->seek(0, SEEK_END);
  const int64_t end = file->tell();
  file->seek(at, SEEK_SET);
  return end < 0 ? 0 : static_cast<uint32_t>(end);
}

int64_t op_time_of_path(const char* path) {
  if (!path) return 0;
  auto st = plat::get().files().stat(path);
  return st ? st->mtime : 0;
}

int op_flush(plat::File* file) { return file && file->flush() ? 0 : -1; }

int op_read_through(const char* path) {
  std::unique_ptr<plat::File> f(op_open(path, "rt", 0));
  if (!f) return 0;
  std::vector<char> chunk(16384);
  while (f->read(chunk.data(), chunk.size()) == chunk.size()) {
  }
  return 1;
}

// Regular files only: a folder is no file here, unlike fopen on this system.
int op_exists(const char* path) {
  plat::File* f = op_open(path, "rb", 0);
  if (!f) return 0;
  op_close(f);
  return 1;
}

int op_writable(const char* path) {
  if (!path) return 0;
  auto st = plat::get().files().stat(path);
  if (!st) return 0;
  return st->writable ? 0x80 : 0;  // the runtime's _S_IWRITE bit
}

}  // namespace

const StdioFileOps STDIO_FILE_OPS = {
    op_open,  op_close, op_read,          op_write,        op_seek,   op_tell,     op_size_of_path,
    op_size_of_file, op_time_of_path, op_flush, op_read_through, op_exists, op_writable,
};
