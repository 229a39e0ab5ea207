// One patch archive applied, the self-replacement start, and the archive's clean-up.
#include "updater/patch_apply.h"

#include "plat/platform.h"
#include "updater/extract_zip.h"
#include "updater/module_path.h"

namespace updater {

namespace {

constexpr uint32_t ARCHIVE_DELETE_WAIT_MS = 10;

}  // namespace

int ApplyPatchArchive(const std::string& archive) {
  const size_t cut = archive.find_last_of("\\/");
  const std::string folder = cut == std::string::npos ? ModulePath("") : archive.substr(0, cut + 1);
  const int extracted = ExtractZipToFolder(archive, folder);
  // A half-applied archive must not count as applied; its deletions are left undone too.
  if (extracted) {
    ApplyDeleteFiles(folder);
    ApplyDeleteDirectories(folder);
  }
  plat::get().files().remove(archive);
  return extracted;
}

int StartSelfReplace(std::string_view programName, uint32_t pid) {
  plat::SpawnSpec spec;
  spec.program = std::string(programName);
  if (pid == 0) {
    plat::get().process().spawn(spec);
    return 1;
  }
  spec.args.push_back(std::to_string(pid));
  const bool started = plat::get().process().spawn(spec).has_value();
  plat::get().debugOut("update: self-replacement " + spec.program + " " + spec.args[0] +
                       (started ? " started" : " not started"));
  return started ? 1 : 0;
}

void DeleteDownloadedArchive() {
  plat::get().clock().sleepMs(ARCHIVE_DELETE_WAIT_MS);
  plat::get().files().remove(ModulePath("bin.zip"));
}

}  // namespace updater
