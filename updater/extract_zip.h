// Unpacks every entry of a zip archive into a folder.
#pragma once
#include <string>

namespace updater {

// 0 when every entry was written, else a code.
int ExtractZipToFolder(const std::string& zipPath, const std::string& folder);

}  // namespace updater
