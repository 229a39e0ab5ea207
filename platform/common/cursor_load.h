// Reads a Windows cursor file through the path resolver; both backends load cursors this way.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "plat/cursor.h"
#include "plat/files.h"

namespace plat::common {

// nullopt when the file is missing, too large or malformed; a debug line names the file and why.
std::optional<CursorImage> loadCursorFile(IFileSystem& files, std::string_view gamePathCp936);

}  // namespace plat::common
