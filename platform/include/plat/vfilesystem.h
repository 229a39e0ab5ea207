// "VFileSystem009": the file-system interface of the built-in "filesystem.dll" and
// "filesystem_steam.dll" (one shared object). Paths are game paths through the path resolver;
// only regular files open.
#pragma once
#include <cstdint>

#include "plat/modules.h"

namespace plat {

inline constexpr const char* kFileSystemModule = "filesystem.dll";
inline constexpr const char* kFileSystemSteamModule = "filesystem_steam.dll";
inline constexpr const char* kFileSystemInterface = "VFileSystem009";

struct VFile;  // an open file; null means none
enum VSeek { VSEEK_HEAD = 0, VSEEK_CURRENT = 1, VSEEK_TAIL = 2 };

class IVFileSystem {
 public:
  // Any mode beginning with 'r' opens read-only ("rb+" included), so that a read-only game folder
  // still loads; writes through such a file fail. pathId is ignored.
  virtual VFile* open(const char* path, const char* mode, const char* pathId) = 0;
  virtual void close(VFile* file) = 0;
  virtual uint32_t read(void* buffer, uint32_t size, VFile* file) = 0;
  virtual uint32_t write(const void* buffer, uint32_t size, VFile* file) = 0;
  virtual void seek(VFile* file, int32_t offset, int origin) = 0;
  virtual uint32_t tell(VFile* file) = 0;
  virtual uint32_t size(VFile* file) = 0;
  virtual bool exists(const char* path) = 0;
  // Loads a library through the module registry; 0 when unknown.
  virtual ModuleHandle loadModule(const char* name) = 0;
  // The application-system start: 0 means usable (always).
  virtual int start() = 0;

 protected:
  ~IVFileSystem() = default;
};

}  // namespace plat
