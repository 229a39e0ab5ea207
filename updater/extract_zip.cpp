// Zip extraction over minizip's reader, with the archive and every file through the resolver.
#include "updater/extract_zip.h"

#include <unzip.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <memory>
#include <vector>

#include "plat/cp936.h"
#include "plat/files.h"
#include "plat/platform.h"
#include "updater/safe_path.h"
#include "updater/zip_io.h"

namespace updater {

namespace {

constexpr uLong kUtf8Flag = 0x800;
constexpr uint32_t kTypeMask = 0170000;
constexpr uint32_t kTypeLink = 0120000;
constexpr uint32_t kTypeDir = 0040000;
constexpr uLong kDosDirBit = 0x10;
constexpr size_t kCopyBlock = 256 * 1024;

std::atomic<uint32_t> g_tempCounter{0};

void say(const std::string& text) { plat::get().debugOut("ExtractZipToFolder: " + text); }

std::string lastPart(std::string_view path) {
  const size_t cut = path.find_last_of('/');
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

// Makes every missing folder of a relative path (its last part included when `all`).
bool makeFolders(const std::string& folder, const std::string& rel, bool all) {
  plat::IFileSystem& fs = plat::get().files();
  size_t at = 0;
  for (;;) {
    const size_t cut = rel.find('/', at);
    if (cut == std::string::npos && !all) return true;
    const std::string path = JoinPath(folder, cut == std::string::npos ? rel : rel.substr(0, cut));
    if (!fs.isDir(path) && !fs.mkdir(path)) return false;
    if (cut == std::string::npos) return true;
    at = cut + 1;
  }
}

// A folder entry's name ends with a separator; in code page 936 a trail byte 0x5C is none.
bool endsWithSeparator(std::string_view name, bool utf8) {
  if (name.empty()) return false;
  size_t last = 0;
  for (size_t at = 0; !utf8 && at < name.size(); at = plat::cp936::next(name, at)) last = at;
  if (utf8) last = name.size() - 1;
  return last == name.size() - 1 && (name[last] == '/' || name[last] == '\\');
}

int64_t localTime(const tm_unz& d) {
  std::tm t{};
  t.tm_year = static_cast<int>(d.tm_year) - 1900;
  t.tm_mon = static_cast<int>(d.tm_mon);
  t.tm_mday = static_cast<int>(d.tm_mday);
  t.tm_hour = static_cast<int>(d.tm_hour);
  t.tm_min = static_cast<int>(d.tm_min);
  t.tm_sec = static_cast<int>(d.tm_sec);
  t.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&t));
}

// The current entry's bytes into a temporary file beside `target`, then renamed over it.
bool writeEntry(unzFile zip, const unz_file_info64& info, const std::string& target, std::optional<uint32_t> unixMode,
                std::vector<uint8_t>& block) {
  plat::IFileSystem& fs = plat::get().files();
  const size_t cut = target.find_last_of('/');
  const std::string dir = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
  const std::string tmp = dir + ".unzip-" + std::to_string(g_tempCounter.fetch_add(1)) + ".tmp";
  if (unzOpenCurrentFile(zip) != UNZ_OK) return say("cannot open the entry for " + target), false;
  bool ok = true;
  {
    std::unique_ptr<plat::File> out = fs.open(tmp, "wb");
    if (!out) {
      say("cannot create " + tmp + ": " + fs.lastError());
      ok = false;
    }
    while (ok) {
      const int n = unzReadCurrentFile(zip, block.data(), static_cast<unsigned>(block.size()));
      if (n < 0) {
        say("damaged data in the entry for " + target);
        ok = false;
      } else if (n == 0) {
        break;
      } else if (out->write(block.data(), static_cast<size_t>(n)) != static_cast<size_t>(n)) {
        say("cannot write " + tmp);
        ok = false;
      }
    }
    if (ok && !out->flush()) ok = false;
  }
  // The CRC is checked here, after the whole entry was read.
  const int closed = unzCloseCurrentFile(zip);
  if (ok && closed != UNZ_OK) {
    say(closed == UNZ_CRCERROR ? "CRC error in the entry for " + target : "cannot close the entry for " + target);
    ok = false;
  }
  if (ok) {
    std::optional<uint32_t> replaced;
    if (auto st = fs.stat(target); st && !st->isDir) replaced = st->mode;
    fs.setMode(tmp, EntryMode(unixMode, replaced, lastPart(target)));
    fs.setModifiedTime(tmp, localTime(info.tmu_date));
    ok = fs.replaceFile(tmp, target);
    if (!ok) say("cannot put " + target + " in place");
  }
  if (!ok) fs.remove(tmp);
  return ok;
}

// The buffers one archive's entries share.
struct Buffers {
  std::vector<char> name = std::vector<char>(65536 + 1, 0);
  std::vector<uint8_t> block = std::vector<uint8_t>(kCopyBlock);
};

bool extractCurrent(unzFile zip, const std::string& folder, Buffers& buffers) {
  unz_file_info64 info{};
  std::vector<char>& name = buffers.name;
  std::fill(name.begin(), name.end(), 0);
  if (unzGetCurrentFileInfo64(zip, &info, name.data(), static_cast<uLong>(name.size() - 1), nullptr, 0, nullptr, 0) !=
      UNZ_OK)
    return say("cannot read an entry's header"), false;
  const std::string_view stored(name.data(), std::min<size_t>(info.size_filename, name.size() - 1));
  const std::optional<std::string> rel = SafeEntryName(stored, info.size_filename, (info.flag & kUtf8Flag) != 0);
  if (!rel) return say("refused entry name \"" + std::string(stored.data()) + "\""), false;
  std::optional<uint32_t> unixMode;
  if ((info.version >> 8) == 3) unixMode = static_cast<uint32_t>(info.external_fa >> 16);
  if (unixMode && (*unixMode & kTypeMask) == kTypeLink) return say("refused link entry " + *rel), false;
  const bool dirEntry = endsWithSeparator(stored, (info.flag & kUtf8Flag) != 0) ||
                        (unixMode && (*unixMode & kTypeMask) == kTypeDir) ||
                        ((info.external_fa & kDosDirBit) && info.uncompressed_size == 0);
  if (!makeFolders(folder, *rel, dirEntry)) return say("cannot make the folders of " + *rel), false;
  if (dirEntry) return true;
  return writeEntry(zip, info, JoinPath(folder, *rel), unixMode, buffers.block);
}

// minizip's search for the end record never looks at offset 0, so an archive that is nothing
// but an end record (no entries) does not open; it is recognised here.
bool isBareEmptyArchive(const std::string& zipPath) {
  std::unique_ptr<plat::File> f = plat::get().files().open(zipPath, "rb");
  uint8_t head[22];
  if (!f || f->read(head, sizeof head) != sizeof head) return false;
  const int64_t size = f->size();
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(head[at] | head[at + 1] << 8); };
  const bool signature = head[0] == 'P' && head[1] == 'K' && head[2] == 5 && head[3] == 6;
  return signature && u16(8) == 0 && u16(10) == 0 && size == 22 + static_cast<int64_t>(u16(20));
}

}  // namespace

std::optional<std::string> SafeEntryName(std::string_view stored, uint64_t declaredLength, bool utf8Flag) {
  if (stored.size() != declaredLength || stored.find('\0') != std::string_view::npos) return std::nullopt;
  std::string cp936(stored);
  if (utf8Flag) {
    cp936 = plat::cp936::fromUtf8(stored);
    if (plat::cp936::toUtf8(cp936) != stored) return std::nullopt;  // not convertible both ways
  }
  return SafeRelativePath(cp936);
}

uint32_t EntryMode(std::optional<uint32_t> unixMode, std::optional<uint32_t> replacedMode, std::string_view name) {
  if (unixMode && (*unixMode & 0777) != 0) return *unixMode & 0777;
  if (replacedMode) return *replacedMode & 0777;
  const std::string base = plat::cp936::asciiLower(name);
  return base == "main" || base == "update" || base == "replaceself" ? 0755 : 0644;
}

int ExtractZipToFolder(const std::string& zipPath, const std::string& folder) {
  plat::IFileSystem& fs = plat::get().files();
  if (!fs.resolve(folder, plat::Access::Write) || !fs.isDir(folder)) {
    say("no folder " + folder);
    return 0;
  }
  zlib_filefunc64_def io = PlatformZipIo();
  unzFile zip = unzOpen2_64(zipPath.c_str(), &io);
  if (!zip) {
    const bool empty = isBareEmptyArchive(zipPath);
    say(empty ? zipPath + " holds no entries" : "cannot open " + zipPath);
    return empty ? 1 : 0;
  }
  unz_global_info64 global{};
  int result = 1;
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) {
    say("cannot read the directory of " + zipPath);
    result = 0;
  } else if (global.number_entry > 0) {
    Buffers buffers;
    int rc = unzGoToFirstFile(zip);
    for (uint64_t i = 0; result && i < global.number_entry; ++i) {
      if (rc != UNZ_OK || !extractCurrent(zip, folder, buffers)) {
        result = 0;
        break;
      }
      rc = unzGoToNextFile(zip);
    }
  }
  unzClose(zip);
  say(zipPath + " into " + folder + (result ? ": done" : ": failed"));
  return result;
}

}  // namespace updater
