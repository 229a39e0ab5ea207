// An open regular file over a descriptor, with the Windows runtime's text mode.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "plat/files.h"

namespace plat::common {

struct OpenMode {
  int flags = 0;       // open(2) flags, O_CLOEXEC included
  bool text = true;    // no 'b' in the mode
  bool creates = false;
};
// Parses an fopen mode ("r", "wb", "a+", "rb+", "rt", "wbx"); nullopt when it is not one. After
// 'w', 'x' creates exclusively and 'k' keeps an existing file's contents (see plat/files.h).
std::optional<OpenMode> parseOpenMode(const char* mode);

// Opens hostPath; only regular files are accepted (open(2) happily opens folders for reading).
std::unique_ptr<File> openPosixFile(const std::string& hostPath, const OpenMode& mode);

}  // namespace plat::common
