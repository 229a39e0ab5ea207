// Unpacks every entry of a zip archive into a folder.
#pragma once
#include <string>

namespace updater {

// 1 when every entry was written, else 0.
int ExtractZipToFolder(const std::string& zipPath, const std::string& folder);

}  // namespace updater
