// A table of 13 stdio-style file operations over the platform's file layer. Nothing in the
// client calls it; it exists for libraries that take a file-operations table.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/files.h"

struct StdioFileOps {
  plat::File* (*open)(const char* path, const char* mode, int unused);          // 0
  void (*close)(plat::File* file);                                             // 1
  size_t (*read)(void* buffer, size_t bytes, plat::File* file);                // 2
  size_t (*write)(const void* buffer, size_t bytes, plat::File* file);         // 3
  int (*seek)(plat::File* file, long offset, int whence);                      // 4
  long (*tell)(plat::File* file);                                              // 5
  uint32_t (*size_of_path)(const char* path);                                  // 6
  uint32_t (*size_of_file)(plat::File* file);                                  // 7
  int64_t (*time_of_path)(const char* path);                                   // 8
  int (*flush)(plat::File* file);                                              // 9
  int (*read_through)(const char* path);                                       // 10
  int (*exists)(const char* path);                                             // 11
  int (*writable)(const char* path);                                           // 12
};

extern const StdioFileOps STDIO_FILE_OPS;
