// The one path resolver: separators, drive prefixes, "..", and letter case over cached listings.
#include "common/path_resolver.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <limits.h>
#include <time.h>
#include <stdlib.h>

#include <vector>

#include "common/debug_out.h"
#include "plat/cp936.h"
#include "plat/test.h"

namespace plat::common {

namespace {

// UTF-8 bytes at or above 0x80 are never touched, so only ASCII letters fold.
std::string foldAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

std::string join(const std::string& dir, const std::string& name) {
  return dir == "/" ? dir + name : dir + "/" + name;
}

std::string realPathOf(const std::string& p) {
  char buf[PATH_MAX];
  return ::realpath(p.c_str(), buf) ? std::string(buf) : std::string();
}

constexpr size_t kMaxCachedFolders = 4096;

// The reads that found nothing, for plat::test::readMisses(): shared by every recording resolver.
struct ReadMisses {
  std::mutex m;
  std::vector<std::string> order;
  std::set<std::string> seen;
};

std::atomic<size_t> g_folderReads{0};

ReadMisses& readMisses() {
  static ReadMisses* r = new ReadMisses;  // never destroyed: threads may read while the process ends
  return *r;
}

}  // namespace

PathResolver::PathResolver(std::string rootUtf8, bool recordMisses)
    : root_(std::move(rootUtf8)), recordMisses_(recordMisses) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
  rootCp936_ = cp936::fromUtf8(root_);
  realRoot_ = realPathOf(root_);
  if (realRoot_.empty()) realRoot_ = root_;
}

bool PathResolver::stampOf(const std::string& dirHost, FolderStamp& out) {
  struct stat st;
  if (::stat(dirHost.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  out.mtimeSec = st.st_mtim.tv_sec;
  out.mtimeNsec = st.st_mtim.tv_nsec;
  out.ctimeSec = st.st_ctim.tv_sec;
  out.ctimeNsec = st.st_ctim.tv_nsec;
  out.ino = st.st_ino;
  out.dev = st.st_dev;
  out.size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool PathResolver::load(const std::string& dirHost, Listing& out) {
  out = Listing{};
  // File systems stamp a change with the coarse clock of its moment. A change in the same tick as
  // this read could leave the stamp as it was, so the listing is trusted only when the folder's
  // last change came before the tick in which reading starts; an untrusted one is read again on
  // its next miss. A stamp of whole seconds comes from a file system that keeps no finer time
  // (down to two seconds): it must lie two seconds back.
  timespec tick{};
  clock_gettime(CLOCK_REALTIME_COARSE, &tick);
  if (!stampOf(dirHost, out.stamp)) return false;
  const int64_t tickNs = int64_t{tick.tv_sec} * 1'000'000'000 + tick.tv_nsec;
  const int64_t changedNs = out.stamp.mtimeSec * 1'000'000'000 + out.stamp.mtimeNsec;
  const int64_t margin = out.stamp.mtimeNsec == 0 ? 2'000'000'000 : 0;
  out.trusted = changedNs + margin < tickNs;
  DIR* d = opendir(dirHost.c_str());
  if (!d) return false;
  g_folderReads.fetch_add(1, std::memory_order_relaxed);
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool link = e->d_type == DT_LNK;
    if (e->d_type == DT_UNKNOWN) {
      struct stat st;
      link = lstat(join(dirHost, name).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    }
    out.exact.emplace(std::move(name), link);
  }
  closedir(d);
  for (const auto& [name, link] : out.exact) {  // byte order: the first of two look-alikes wins
    auto [it, added] = out.folded.emplace(foldAscii(name), name);
    if (!added) {
      std::string key = join(dirHost, it->first);
      if (foldNoted_.insert(key).second)
        debugLine("path resolver: " + cp936::fromUtf8(join(dirHost, name)) + " differs from " +
                  cp936::fromUtf8(it->second) + " only in case; using the latter");
    }
  }
  return true;
}

std::optional<PathResolver::Entry> PathResolver::lookup(const std::string& dirHost, const std::string& nameUtf8) {
  auto search = [&](const Listing& l) -> std::optional<Entry> {
    auto e = l.exact.find(nameUtf8);  // an exact match wins
    if (e == l.exact.end()) {
      auto f = l.folded.find(foldAscii(nameUtf8));
      if (f == l.folded.end()) return std::nullopt;
      e = l.exact.find(f->second);
    }
    return Entry{e->first, e->second};
  };
  auto it = cache_.find(dirHost);
  if (it != cache_.end()) {
    if (auto hit = search(it->second)) return hit;
    // A name missing from a listing that is still the folder's content is missing: no re-read.
    FolderStamp now;
    if (it->second.trusted && stampOf(dirHost, now) && now == it->second.stamp) return std::nullopt;
  }
  // Otherwise a miss re-reads the folder once: the file may have been made behind the cache.
  Listing fresh;
  if (!load(dirHost, fresh)) {
    if (it != cache_.end()) cache_.erase(it);
    return std::nullopt;
  }
  if (cache_.size() >= kMaxCachedFolders) cache_.clear();
  Listing& stored = cache_[dirHost] = std::move(fresh);
  return search(stored);
}

// The real path of hostPath, or of its deepest existing ancestor when it is not there yet, lies in
// the real game folder. A dangling link is refused: creating through it would follow it.
bool PathResolver::staysInside(std::string hostPath) const {
  for (;;) {
    char buf[PATH_MAX];
    if (::realpath(hostPath.c_str(), buf)) {
      std::string_view real(buf);
      if (real == realRoot_ || realRoot_ == "/") return true;
      return real.size() > realRoot_.size() && real.substr(0, realRoot_.size()) == realRoot_ &&
             real[realRoot_.size()] == '/';
    }
    struct stat st;
    if (errno != ENOENT || ::lstat(hostPath.c_str(), &st) == 0) return false;  // dangling, a loop, no access
    size_t cut = hostPath.rfind('/');
    if (hostPath.size() <= root_.size() || cut == std::string::npos || cut == 0) return true;  // no root: all fails
    hostPath.erase(cut);
  }
}

// Reads and writes meet the same wall, so the access does not change the answer.
std::optional<Resolved> PathResolver::resolve(std::string_view gamePath, Access, bool followLast) {
  bool drive = gamePath.size() >= 2 && gamePath[1] == ':' &&
               ((gamePath[0] >= 'A' && gamePath[0] <= 'Z') || (gamePath[0] >= 'a' && gamePath[0] <= 'z'));
  if (drive && !driveNoted_.exchange(true))
    debugLine("path resolver: drive prefix ignored in \"" + std::string(gamePath) +
              "\"; paths stay inside the game folder");

  std::vector<std::string> parts = splitGamePath(gamePath, rootCp936_);
  std::vector<std::string> names;  // host names below the root
  size_t missingFrom = SIZE_MAX;   // index in names of the first part not on disk
  bool lastFound = true;
  std::vector<bool> links;         // per name: a symbolic link
  auto refuse = [&](const char* why) {
    debugLine(std::string("path resolver: ") + why + ", refused: " + std::string(gamePath));
    return std::nullopt;
  };
  {
    std::lock_guard lock(m_);
    std::string dir = root_;
    for (const std::string& part : parts) {
      if (part == "..") {
        if (names.empty()) return std::nullopt;  // may not leave the game folder
        names.pop_back();
        links.pop_back();
        if (missingFrom >= names.size()) missingFrom = SIZE_MAX;
        dir = root_;
        for (const auto& n : names) dir = join(dir, n);
        lastFound = true;
        continue;
      }
      // Checked after conversion: that is the name the disk sees.
      std::optional<std::string> converted = diskName(part);
      if (!converted) return refuse("a part is no plain name on disk");
      std::string name = std::move(*converted);
      bool link = false;
      if (missingFrom == SIZE_MAX) {
        // Never list a folder outside through a link.
        if (!links.empty() && links.back() && !staysInside(dir))
          return refuse("a link leads outside the game folder");
        if (auto actual = lookup(dir, name)) {
          name = actual->name;
          link = actual->isLink;
          lastFound = true;
        } else {
          missingFrom = names.size();  // a missing part keeps the case given, for creation
          lastFound = false;
        }
      } else {
        lastFound = false;
      }
      dir = join(dir, name);
      names.push_back(std::move(name));
      links.push_back(link);
    }
  }

  Resolved r;
  r.host = root_;
  r.parent = root_;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i + 1 == names.size()) r.parent = r.host;
    r.host = join(r.host, names[i]);
  }
  r.found = lastFound;
  r.lastIsLink = !links.empty() && links.back();
  // No access of any kind follows a link out of the game folder. Paths without links skip the
  // real-path walk: the listings say which names are links.
  if (!followLast && !links.empty()) links.pop_back();
  bool throughLink = false;
  for (bool l : links) throughLink = throughLink || l;
  if (throughLink && !staysInside(followLast ? r.host : r.parent)) return refuse("a link leads outside the game folder");
  return r;
}

void PathResolver::noteReadMiss(std::string_view gamePath) const {
  if (!recordMisses_) return;
  ReadMisses& r = readMisses();
  std::lock_guard lock(r.m);
  if (r.seen.emplace(gamePath).second) r.order.emplace_back(gamePath);
}

void PathResolver::invalidate(const std::string& hostDir) {
  std::lock_guard lock(m_);
  cache_.erase(hostDir);
}

void PathResolver::invalidateTree(const std::string& hostDir) {
  std::lock_guard lock(m_);
  const std::string prefix = hostDir + "/";
  for (auto it = cache_.lower_bound(hostDir); it != cache_.end();) {
    if (it->first == hostDir || it->first.compare(0, prefix.size(), prefix) == 0) it = cache_.erase(it);
    else if (it->first.compare(0, hostDir.size(), hostDir) == 0) ++it;  // e.g. "dir-2" sorts between
    else break;
  }
}

}  // namespace plat::common

namespace plat::test {

std::vector<std::string> readMisses() {
  common::ReadMisses& r = common::readMisses();
  std::lock_guard lock(r.m);
  return r.order;
}

size_t folderReads() { return common::g_folderReads.load(std::memory_order_relaxed); }

void clearReadMisses() {
  common::ReadMisses& r = common::readMisses();
  std::lock_guard lock(r.m);
  r.order.clear();
  r.seen.clear();
}

}  // namespace plat::test
