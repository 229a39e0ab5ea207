// The one lock around every positioned write of every download, so that a seek and its write
// are never split by another segment's.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat {
class File;
}

namespace updater {

// Held by a scoped guard around each write of a download's shared file.
class CFileLock {
 public:
  CFileLock();
  ~CFileLock();
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;
};

// Writes n bytes at offset under the lock; false unless all of them went out.
bool lockedWriteAt(plat::File& file, int64_t offset, const void* data, size_t n);

}  // namespace updater
