// Files through the one path resolver: game paths are code page 936 bytes with '\' or '/',
// any letter case, relative to the game folder.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

enum class Access { Read, Write };

struct FileStat {
  uint64_t size = 0;
  int64_t mtime = 0;  // seconds since 1970
  bool isDir = false;
  bool writable = false;  // the owner's write permission
  bool isLink = false;    // only from linkStat: the name itself is a symbolic link
  uint32_t mode = 0;      // permission bits (07777)
};

// An open regular file. Mode strings follow fopen ("rb", "wb", "a+", "rb+", ...); a mode without
// 'b' is text mode as in the Windows runtime ("\n" written as CRLF, CRLF read as "\n"). Two more
// letters change what a "w" mode does to the file it names: 'x' fails when the file exists (as
// in C11), 'k' creates it when missing but keeps an existing one's contents ("w+bk").
class File {
 public:
  virtual ~File() = default;
  virtual size_t read(void* dst, size_t n) = 0;
  virtual size_t write(const void* src, size_t n) = 0;
  virtual bool seek(int64_t offset, int whence) = 0;  // SEEK_SET 0, SEEK_CUR 1, SEEK_END 2
  virtual int64_t tell() = 0;
  virtual int64_t size() = 0;
  virtual bool flush() = 0;
  // Sets the file's size: cut at `length`, or grown with zero bytes. The position is unchanged.
  // False when the file cannot be resized (a read-only handle, or a file without a size).
  virtual bool truncate(int64_t length) { (void)length; return false; }
  // Writes at `offset` without moving the position (one pwrite where the file has a descriptor;
  // here a seek and a write, which callers sharing the file guard with a lock). The count written.
  virtual size_t writeAt(const void* src, size_t n, int64_t offset) {
    const int64_t at = tell();
    if (at < 0 || !seek(offset, 0)) return 0;
    const size_t done = write(src, n);
    seek(at, 0);
    return done;
  }
};

struct DirEntry {
  std::string nameCp936;
  bool isDir = false;   // a folder, or a link to one
  bool isLink = false;  // the entry itself is a symbolic link
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Host path (UTF-8, absolute) for a game path; nullopt when it would leave the game folder.
  virtual std::optional<std::string> resolve(std::string_view gamePath, Access access) = 0;
  virtual std::unique_ptr<File> open(std::string_view gamePath, const char* mode) = 0;
  virtual bool exists(std::string_view gamePath) = 0;
  virtual bool isFile(std::string_view gamePath) = 0;
  virtual bool isDir(std::string_view gamePath) = 0;
  virtual std::optional<FileStat> stat(std::string_view gamePath) = 0;
  virtual bool mkdir(std::string_view gamePath) = 0;
  virtual bool rmdir(std::string_view gamePath) = 0;
  virtual bool remove(std::string_view gamePath) = 0;
  virtual bool rename(std::string_view from, std::string_view to) = 0;
  virtual bool replaceFile(std::string_view tmp, std::string_view target) = 0;  // atomic
  virtual std::vector<DirEntry> list(std::string_view gamePath) = 0;
  // Removes a symbolic link itself, never what it points to (which may lie outside the game
  // folder); false for anything that is not a link.
  virtual bool removeLink(std::string_view gamePath) { (void)gamePath; return false; }
  // As stat, but a symbolic link is described itself (isLink set) rather than followed.
  virtual std::optional<FileStat> linkStat(std::string_view gamePath) { (void)gamePath; return std::nullopt; }
  // Permission bits (07777) of a file or folder.
  virtual bool setMode(std::string_view gamePath, uint32_t mode) { (void)gamePath; (void)mode; return false; }
  // Modification (and access) time, seconds since 1970.
  virtual bool setModifiedTime(std::string_view gamePath, int64_t seconds) { (void)gamePath; (void)seconds; return false; }
  virtual std::string gameDir() = 0;   // absolute host path of the game folder (UTF-8)
  virtual std::string exePath() = 0;   // absolute host path of the running program
  // Why this thread's last failed open or mkdir failed ("Permission denied"); "" when unknown.
  virtual std::string lastError() { return {}; }
};

// The resolver's pure part: splits a game path into its parts, walking whole code page 936
// characters (a trail byte 0x5C never splits), dropping empty and "." parts and a leading
// drive prefix or the game folder's own absolute path. ".." is kept for the caller to apply.
std::vector<std::string> splitGamePath(std::string_view gamePath, std::string_view gameDirCp936 = {});
// One part other than ".." in the disk's form (UTF-8). nullopt when the converted name is no plain
// entry name: "", "." or "..", or holding '/', '\' or NUL (which would cut the host path short).
std::optional<std::string> diskName(std::string_view partCp936);

// A file system rooted at a host folder; both backends use it. The process's current directory
// is set to the root by the caller (SYSTEM's init). recordReadMisses (the headless backend):
// reads that find no regular file go to plat::test::readMisses().
std::unique_ptr<IFileSystem> makePosixFileSystem(const std::string& rootUtf8, bool recordReadMisses = false);

}  // namespace plat
