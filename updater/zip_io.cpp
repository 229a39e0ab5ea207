#include "updater/zip_io.h"

#include <cstdio>
#include <memory>

#include "plat/files.h"
#include "plat/platform.h"

namespace updater {

namespace {

plat::File* fileOf(voidpf stream) { return static_cast<plat::File*>(stream); }

voidpf openFile(voidpf, const void* name, int mode) {
  if (!name) return nullptr;
  const char* how = (mode & ZLIB_FILEFUNC_MODE_CREATE) ? "wb"
                    : (mode & ZLIB_FILEFUNC_MODE_EXISTING) ? "rb+"
                                                           : "rb";
  return plat::get().files().open(static_cast<const char*>(name), how).release();
}

uLong readFile(voidpf, voidpf stream, void* buf, uLong size) { return fileOf(stream)->read(buf, size); }

uLong writeFile(voidpf, voidpf stream, const void* buf, uLong size) { return fileOf(stream)->write(buf, size); }

ZPOS64_T tellFile(voidpf, voidpf stream) {
  const int64_t at = fileOf(stream)->tell();
  return at < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(at);
}

long seekFile(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  int whence = SEEK_SET;
  if (origin == ZLIB_FILEFUNC_SEEK_CUR) whence = SEEK_CUR;
  else if (origin == ZLIB_FILEFUNC_SEEK_END) whence = SEEK_END;
  return fileOf(stream)->seek(static_cast<int64_t>(offset), whence) ? 0 : -1;
}

int closeFile(voidpf, voidpf stream) {
  delete fileOf(stream);
  return 0;
}

int errorFile(voidpf, voidpf) { return 0; }

}  // namespace

zlib_filefunc64_def PlatformZipIo() {
  zlib_filefunc64_def io{};
  io.zopen64_file = openFile;
  io.zread_file = readFile;
  io.zwrite_file = writeFile;
  io.ztell64_file = tellFile;
  io.zseek64_file = seekFile;
  io.zclose_file = closeFile;
  io.zerror_file = errorFile;
  io.opaque = nullptr;
  return io;
}

}  // namespace updater
