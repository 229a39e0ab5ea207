// The lock shared by every download's writes.
#include "updater/file_lock.h"

#include <mutex>

#include "plat/files.h"

namespace updater {

namespace {

std::mutex& fileMutex() {
  static std::mutex m;
  return m;
}

}  // namespace

CFileLock::CFileLock() { fileMutex().lock(); }
CFileLock::~CFileLock() { fileMutex().unlock(); }

bool lockedWriteAt(plat::File& file, int64_t offset, const void* data, size_t n) {
  CFileLock guard;
  return file.writeAt(data, n, offset) == n;
}

}  // namespace updater
