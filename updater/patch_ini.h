// "Patch.ini" read as the patch deletions need it.
#pragma once
#include <string>
#include <vector>

namespace updater {

// The values of every key of `section`, in file order; empty when the file or section is missing.
std::vector<std::string> ReadPatchIniValues(const std::string& path, const char* section);

}  // namespace updater
