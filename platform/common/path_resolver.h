// Game paths to host paths: ASCII-case-insensitive lookup over cached folder listings.
#pragma once
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "plat/files.h"

namespace plat::common {

struct Resolved {
  std::string host;     // absolute UTF-8 path
  std::string parent;   // its folder (the root for the root itself)
  bool found = false;   // the last part exists in the listing
  bool lastIsLink = false;  // the last part is a symbolic link (checked to stay inside)
};

class PathResolver {
 public:
  // recordMisses: reads that find no regular file go to plat::test::readMisses().
  explicit PathResolver(std::string rootUtf8, bool recordMisses = false);
  // nullopt when the path climbs above the root, names a part that is no plain name on disk, or
  // goes through a link whose real path lies outside the game folder. With followLast false a
  // link in the last part is the object itself (to be removed or described), so only the folder
  // holding it must stay inside.
  std::optional<Resolved> resolve(std::string_view gamePath, Access access, bool followLast = true);
  // An open for reading of gamePath found no regular file.
  void noteReadMiss(std::string_view gamePath) const;
  // After our own change of a folder's content.
  void invalidate(const std::string& hostDir);
  // After a folder itself was renamed or removed: its listing and every listing below it.
  void invalidateTree(const std::string& hostDir);
  const std::string& root() const { return root_; }

 private:
  // What one stat of a folder says about its content: any entry made, renamed or removed in it
  // moves its modification and change times.
  struct FolderStamp {
    int64_t mtimeSec = 0, mtimeNsec = 0, ctimeSec = 0, ctimeNsec = 0;
    uint64_t ino = 0, dev = 0, size = 0;
    bool operator==(const FolderStamp&) const = default;
  };
  struct Listing {
    std::map<std::string, bool> exact;           // names on disk (UTF-8) -> is a symbolic link
    std::map<std::string, std::string> folded;   // ASCII-lowered name -> first name in byte order
    FolderStamp stamp;
    // The stamp proves the listing complete: the folder's last change came before the clock
    // tick in which the listing was read, so any later change moves the stamp.
    bool trusted = false;
  };
  struct Entry {
    std::string name;
    bool isLink = false;
  };
  std::optional<Entry> lookup(const std::string& dirHost, const std::string& nameUtf8);
  bool load(const std::string& dirHost, Listing& out);
  // The folder's stamp now; false when it cannot be read (the folder is gone).
  static bool stampOf(const std::string& dirHost, FolderStamp& out);
  bool staysInside(std::string hostPath) const;

  std::string root_;
  bool recordMisses_ = false;
  std::string rootCp936_;
  std::string realRoot_;
  std::mutex m_;
  std::map<std::string, Listing> cache_;
  std::set<std::string> foldNoted_;
  std::atomic<bool> driveNoted_{false};
};

}  // namespace plat::common
