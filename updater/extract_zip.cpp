// Stand-in until the patch code lands: nothing is unpacked, and the call is visible in the
// debugger output (with the archive's size, as the caller handed it over) so that a gateway
// archive that never arrives in the folder can be traced.
#include "updater/extract_zip.h"

#include <optional>

#include "plat/platform.h"

namespace updater {

int ExtractZipToFolder(const std::string& zipPath, const std::string& folder) {
  const std::optional<plat::FileStat> st = plat::get().files().stat(zipPath);
  const std::string size = st && !st->isDir ? std::to_string(st->size) + " bytes" : "missing";
  plat::get().debugOut("ExtractZipToFolder: " + zipPath + " (" + size + ") into " + folder + ": not unpacked");
  return 0;
}

}  // namespace updater
