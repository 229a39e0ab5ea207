// The built-in "filesystem.dll" / "filesystem_steam.dll" over the path resolver.
#include <cstring>
#include <memory>
#include <string>

#include "common/common.h"
#include "plat/vfilesystem.h"

namespace plat {

struct VFile {
  std::unique_ptr<File> file;
};

namespace common {

namespace {

// Readers ask for "rb+" although they only read; a read-write open would fail on a read-only
// game folder, so every 'r' mode opens read-only.
std::string effectiveMode(const char* mode) {
  if (!mode || mode[0] != 'r') return mode ? mode : "";
  return std::strchr(mode, 'b') ? "rb" : "rt";
}

class FileSystemModule final : public IVFileSystem {
 public:
  VFile* open(const char* path, const char* mode, const char* /*pathId*/) override {
    if (!path || !mode) return nullptr;
    std::unique_ptr<File> f = get().files().open(path, effectiveMode(mode).c_str());
    if (!f) return nullptr;
    return new VFile{std::move(f)};
  }

  void close(VFile* file) override { delete file; }

  uint32_t read(void* buffer, uint32_t size, VFile* file) override {
    if (!file || !buffer) return 0;
    return static_cast<uint32_t>(file->file->read(buffer, size));
  }

  uint32_t write(const void* buffer, uint32_t size, VFile* file) override {
    if (!file || !buffer) return 0;
    return static_cast<uint32_t>(file->file->write(buffer, size));
  }

  void seek(VFile* file, int32_t offset, int origin) override {
    if (!file || origin < VSEEK_HEAD || origin > VSEEK_TAIL) return;
    file->file->seek(offset, origin);
  }

  uint32_t tell(VFile* file) override {
    if (!file) return 0;
    int64_t at = file->file->tell();
    return at < 0 ? 0 : static_cast<uint32_t>(at);
  }

  uint32_t size(VFile* file) override {
    if (!file) return 0;
    int64_t n = file->file->size();
    return n < 0 ? 0 : static_cast<uint32_t>(n);
  }

  bool exists(const char* path) override { return path && get().files().isFile(path); }

  ModuleHandle loadModule(const char* name) override { return name ? get().modules().load(name) : 0; }

  int start() override { return 0; }
};

void* fileSystemFactory(const char* name, int* rc) {
  static FileSystemModule fileSystem;
  if (name && std::strcmp(name, kFileSystemInterface) == 0) {
    if (rc) *rc = 0;
    IVFileSystem* fs = &fileSystem;
    return fs;
  }
  if (rc) *rc = 1;
  return nullptr;
}

}  // namespace

void registerFileSystemModules(IModuleRegistry& reg) {
  reg.add({kFileSystemModule, fileSystemFactory, {}});
  reg.add({kFileSystemSteamModule, fileSystemFactory, {}});
}

}  // namespace common
}  // namespace plat
