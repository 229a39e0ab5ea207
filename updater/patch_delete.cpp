// The deletions of "Patch.ini": values come from the network, so each is made safe, and the
// tree delete never follows a link out of the tree.
#include <string>
#include <vector>

#include "plat/cp936.h"
#include "plat/files.h"
#include "plat/platform.h"
#include "updater/patch_apply.h"
#include "updater/patch_ini.h"
#include "updater/safe_path.h"

namespace updater {

namespace {

constexpr const char* PATCH_INI = "Patch.ini";

void say(const std::string& text) { plat::get().debugOut("patch: " + text); }

// Values of every key of the section, in file order.
std::vector<std::string> sectionValues(const std::string& folder, const char* section) {
  return ReadPatchIniValues(JoinPath(folder, PATCH_INI), section);
}

bool isProtected(const std::string& safe) {
  const std::string lower = plat::cp936::asciiLower(safe);
  return lower == "replaceself.dll" || lower == "update.ini";
}

// Each value of the section made safe, or refused with a debug line.
template <class Act>
void forEachSafeValue(const std::string& folder, const char* section, Act act) {
  for (const std::string& value : sectionValues(folder, section)) {
    if (const std::optional<std::string> safe = SafeRelativePath(value)) act(*safe);
    else say(std::string(section) + " value refused: \"" + value + "\"");
  }
}

}  // namespace

void ApplyDeleteFiles(const std::string& folder) {
  forEachSafeValue(folder, "DeleteFiles", [&](const std::string& safe) {
    if (isProtected(safe)) return;
    const bool removed = plat::get().files().remove(JoinPath(folder, safe));
    say("delete " + safe + (removed ? "" : ": not deleted"));
  });
}

void ApplyDeleteDirectories(const std::string& folder) {
  forEachSafeValue(folder, "DeleteDirectorys", [&](const std::string& safe) {
    const int removed = DeleteDirectoryTree(JoinPath(folder, safe));
    say("delete folder " + safe + (removed ? "" : ": not deleted"));
  });
}

int DeleteDirectoryTree(const std::string& path) {
  plat::IFileSystem& fs = plat::get().files();
  const std::optional<plat::FileStat> top = fs.linkStat(path);
  if (!top || top->isLink || !top->isDir) return 0;
  struct Pending {
    std::string path;
    bool listed = false;
  };
  // Folders go on the stack; each is removed once everything listed in it is gone.
  std::vector<Pending> stack{{path}};
  while (!stack.empty()) {
    if (stack.back().listed) {
      if (!fs.rmdir(stack.back().path)) return 0;
      stack.pop_back();
      continue;
    }
    stack.back().listed = true;
    const std::string dir = stack.back().path;
    for (const plat::DirEntry& e : fs.list(dir)) {
      const std::string child = JoinPath(dir, e.nameCp936);
      if (e.isLink) {
        if (!fs.removeLink(child)) return 0;
      } else if (e.isDir) {
        stack.push_back({child});
      } else if (!fs.remove(child)) {
        return 0;
      }
    }
  }
  return 1;
}

}  // namespace updater
