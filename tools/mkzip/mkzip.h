// A test-only zip writer over minizip's writer, for the updater's patch archives and hostile
// archives. Manifest lines ('#' starts a comment, blank lines are skipped):
//
//   file NAME from=PATH [mode=0755] [utf8] [time=YYYY-MM-DDTHH:MM:SS] [store]
//   file NAME text="..." [...]       the text with \n, \r, \t, \\, \" and \xHH escapes
//   dir NAME                         a folder entry ("NAME/")
//   symlink NAME target=T            a Unix link entry (mode 0120777, the target as its data)
//   rawname HEX [text="..."]         a file entry whose name bytes are given in hex (NUL allowed)
//   badcrc NAME [text="..."]         a stored entry whose recorded CRC is wrong
//
// NAME is the name as stored, taken byte for byte (code page 936, or UTF-8 with `utf8`, which
// sets the name's UTF-8 flag); a NAME holding blanks is written in double quotes. An entry with
// `mode=` is made on Unix and carries those permission bits; every other entry is made on
// Windows and carries none. Paths in from= are relative to the manifest's folder.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mkzip {

enum class Kind { File, Dir, Symlink };

struct Entry {
  Kind kind = Kind::File;
  std::string name;                    // the stored name's bytes
  std::string data;                    // file bytes, or a link's target
  std::optional<uint32_t> unixMode;    // permission bits; set: made on Unix
  bool utf8 = false;                   // the name's UTF-8 flag (bit 11)
  bool store = false;                  // no compression
  bool badCrc = false;                 // the recorded CRC is off by one bit
  // Local date and time; the default is 2020-01-02 03:04:06.
  int year = 2020, month = 1, day = 2, hour = 3, minute = 4, second = 6;
};

// Writes the archive; false with *error set.
bool writeZip(const std::string& path, const std::vector<Entry>& entries, std::string* error);
// The entries of a manifest; nullopt with *error set (the line number included).
std::optional<std::vector<Entry>> parseManifest(std::string_view text, const std::string& baseDir, std::string* error);

}  // namespace mkzip
