// IFileSystem over the host: every game path goes through the resolver.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "common/host_paths.h"
#include "common/path_resolver.h"
#include "common/posix_file.h"
#include "plat/cp936.h"
#include "plat/files.h"
#include "plat/test.h"

namespace plat {

namespace {

// Why the calling thread's last open or mkdir failed.
thread_local std::string t_lastError;

bool failed(std::string why) {
  t_lastError = std::move(why);
  return false;
}

bool failed(int err) { return failed(std::generic_category().message(err)); }

// The test hook's stand-in for a folder we may not write.
bool createRefused(const std::string& hostPath) {
  const int err = test::createFailure(hostPath);
  if (err != 0) failed(err);
  return err != 0;
}

constexpr const char* kOutside = "outside the game folder";

std::string absoluteRoot(const std::string& root) {
  std::error_code ec;
  std::filesystem::path abs = std::filesystem::absolute(root.empty() ? "." : root, ec);
  std::string s = (ec ? std::filesystem::path(root) : abs).lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

class PosixFileSystem final : public IFileSystem {
 public:
  PosixFileSystem(const std::string& root, bool recordMisses) : r_(absoluteRoot(root), recordMisses) {
    if (recordMisses) test::clearReadMisses();
  }

  // A read by host path (a program to start, a video for the decoder) counts as an open.
  std::optional<std::string> resolve(std::string_view gamePath, Access access) override {
    auto r = r_.resolve(gamePath, access);
    if (access == Access::Read && !isRegular(r)) r_.noteReadMiss(gamePath);
    if (!r) return std::nullopt;
    return r->host;
  }

  std::unique_ptr<File> open(std::string_view gamePath, const char* mode) override {
    auto m = common::parseOpenMode(mode);
    if (!m) return nullptr;
    const bool reads = !m->creates && (m->flags & O_ACCMODE) == O_RDONLY;
    auto r = r_.resolve(gamePath, reads ? Access::Read : Access::Write);
    if (!r) {
      if (reads) r_.noteReadMiss(gamePath);
      return failed(kOutside), nullptr;
    }
    if (m->creates && !r->found && createRefused(r->host)) return nullptr;
    if (!r->lastIsLink) m->flags |= O_NOFOLLOW;  // a link made since the resolver looked is not followed
    errno = 0;
    auto f = common::openPosixFile(r->host, *m);
    if (!f) {
      // No errno: it opened, but is no regular file.
      failed(errno ? std::generic_category().message(errno) : "not a regular file");
      if (reads) r_.noteReadMiss(gamePath);
      return nullptr;
    }
    if (m->creates && !r->found) r_.invalidate(r->parent);  // a new name in that folder
    return f;
  }

  bool exists(std::string_view gamePath) override { return hostStat(gamePath).has_value(); }

  // Asked before a read (the video decoder's probe), so a no counts as a miss.
  bool isFile(std::string_view gamePath) override {
    auto st = hostStat(gamePath);
    const bool file = st && S_ISREG(st->st_mode);
    if (!file) r_.noteReadMiss(gamePath);
    return file;
  }

  bool isDir(std::string_view gamePath) override {
    auto st = hostStat(gamePath);
    return st && S_ISDIR(st->st_mode);
  }

  std::optional<FileStat> stat(std::string_view gamePath) override {
    auto st = hostStat(gamePath);
    if (!st) return std::nullopt;
    return describe(*st);
  }

  bool mkdir(std::string_view gamePath) override {
    auto r = r_.resolve(gamePath, Access::Write);
    if (!r) return failed(kOutside);
    if (r->host == r_.root()) return failed(EEXIST);
    if (createRefused(r->host)) return false;
    if (::mkdir(r->host.c_str(), 0777) != 0) return failed(errno);
    r_.invalidate(r->parent);
    return true;
  }

  bool rmdir(std::string_view gamePath) override {
    auto r = r_.resolve(gamePath, Access::Write);
    if (!r || r->host == r_.root()) return false;
    bool ok = ::rmdir(r->host.c_str()) == 0;
    if (ok) {
      r_.invalidate(r->parent);
      r_.invalidateTree(r->host);
    }
    return ok;
  }

  bool remove(std::string_view gamePath) override {
    auto r = r_.resolve(gamePath, Access::Write);
    if (!r) return false;
    struct stat st;
    if (::lstat(r->host.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;  // files only
    bool ok = ::unlink(r->host.c_str()) == 0;
    if (ok) r_.invalidate(r->parent);
    return ok;
  }

  // As the Windows runtime: fails when the target exists.
  bool rename(std::string_view from, std::string_view to) override {
    auto a = r_.resolve(from, Access::Write);
    auto b = r_.resolve(to, Access::Write);
    if (!a || !b || a->host == r_.root() || b->host == r_.root()) return false;
    int rc = ::renameat2(AT_FDCWD, a->host.c_str(), AT_FDCWD, b->host.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && errno == EINVAL) {  // a file system without RENAME_NOREPLACE
      struct stat st;
      if (::lstat(b->host.c_str(), &st) == 0) return false;
      rc = ::rename(a->host.c_str(), b->host.c_str());
    }
    if (rc != 0) return false;
    changed(*a, *b);
    return true;
  }

  bool replaceFile(std::string_view tmp, std::string_view target) override {
    auto a = r_.resolve(tmp, Access::Write);
    auto b = r_.resolve(target, Access::Write);
    if (!a || !b || a->host == r_.root() || b->host == r_.root()) return false;
    if (::rename(a->host.c_str(), b->host.c_str()) != 0) return false;  // atomic on one file system
    changed(*a, *b);
    return true;
  }

  std::vector<DirEntry> list(std::string_view gamePath) override {
    std::vector<DirEntry> out;
    auto r = r_.resolve(gamePath, Access::Read);
    if (!r) return out;
    DIR* d = ::opendir(r->host.c_str());
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      bool dir = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        struct stat st;
        dir = ::stat((r->host + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      }
      out.push_back({cp936::fromUtf8Name(name), dir, e->d_type == DT_LNK || isLinkAt(r->host, name, e->d_type)});
    }
    ::closedir(d);
    return out;
  }

  // The link itself goes, wherever it points; only its folder must lie inside.
  bool removeLink(std::string_view gamePath) override {
    auto r = r_.resolve(gamePath, Access::Write, false);
    struct stat st;
    if (!r || r->host == r_.root() || ::lstat(r->host.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return false;
    if (::unlink(r->host.c_str()) != 0) return false;
    r_.invalidate(r->parent);
    return true;
  }

  std::optional<FileStat> linkStat(std::string_view gamePath) override {
    auto r = r_.resolve(gamePath, Access::Read, false);
    struct stat st;
    if (!r || ::lstat(r->host.c_str(), &st) != 0) return std::nullopt;
    FileStat s = describe(st);
    s.isLink = S_ISLNK(st.st_mode);
    return s;
  }

  // Never through a link: a link's mode means nothing, and its target is not ours to change.
  bool setMode(std::string_view gamePath, uint32_t mode) override {
    auto r = r_.resolve(gamePath, Access::Write, false);
    if (!r) return failed(kOutside);
    const int fd = ::open(r->host.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return failed(errno);
    struct stat st;
    const bool ok = ::fstat(fd, &st) == 0 && !S_ISLNK(st.st_mode) &&
                    ::chmod(("/proc/self/fd/" + std::to_string(fd)).c_str(), mode & 07777) == 0;
    const int err = errno;
    ::close(fd);
    return ok || failed(err);
  }

  bool setModifiedTime(std::string_view gamePath, int64_t seconds) override {
    auto r = r_.resolve(gamePath, Access::Write, false);
    if (!r) return failed(kOutside);
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(seconds);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    if (::utimensat(AT_FDCWD, r->host.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return failed(errno);
    return true;
  }

  std::string lastError() override { return t_lastError; }
  std::string gameDir() override { return r_.root(); }
  std::string exePath() override { return common::executablePath(); }

 private:
  static FileStat describe(const struct stat& st) {
    FileStat s;
    s.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    s.mtime = st.st_mtime;
    s.isDir = S_ISDIR(st.st_mode);
    s.writable = (st.st_mode & S_IWUSR) != 0;
    s.mode = st.st_mode & 07777;
    return s;
  }

  static bool isLinkAt(const std::string& dir, const std::string& name, unsigned char type) {
    struct stat st;
    return type == DT_UNKNOWN && ::lstat((dir + "/" + name).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }

  static bool isRegular(const std::optional<common::Resolved>& r) {
    struct stat st;
    return r && r->found && ::stat(r->host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  std::optional<struct stat> hostStat(std::string_view gamePath) {
    auto r = r_.resolve(gamePath, Access::Read);
    if (!r) return std::nullopt;
    struct stat st;
    if (::stat(r->host.c_str(), &st) != 0) return std::nullopt;
    return st;
  }

  void changed(const common::Resolved& from, const common::Resolved& to) {
    r_.invalidate(from.parent);
    r_.invalidate(to.parent);
    r_.invalidateTree(from.host);
    r_.invalidateTree(to.host);
  }

  common::PathResolver r_;
};

}  // namespace

std::unique_ptr<IFileSystem> makePosixFileSystem(const std::string& rootUtf8, bool recordReadMisses) {
  return std::make_unique<PosixFileSystem>(rootUtf8, recordReadMisses);
}

}  // namespace plat
