// Game paths to host paths: ASCII-case-insensitive lookup over cached folder listings.
#pragma once
#include <atomic>
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
  struct Listing {
    std::map<std::string, bool> exact;           // names on disk (UTF-8) -> is a symbolic link
    std::map<std::string, std::string> folded;   // ASCII-lowered name -> first name in byte order
  };
  struct Entry {
    std::string name;
    bool isLink = false;
  };
  std::optional<Entry> lookup(const std::string& dirHost, const std::string& nameUtf8);
  bool load(const std::string& dirHost, Listing& out);
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
