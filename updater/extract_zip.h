// Unpacks every entry of a zip archive into a folder of the game folder.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

// 1 when every entry was written, else 0. The folder must exist; the first entry that fails
// (a refused name, a link, a write or CRC error) stops the unpacking, and the entries written
// before it stay. Each file is written beside its target and renamed over it, so a reader never
// sees half a file and a running program can be replaced. The current folder never changes.
int ExtractZipToFolder(const std::string& zipPath, const std::string& folder);

// An entry's stored name made safe: code page 936 bytes, or UTF-8 (utf8Flag) converted to them.
// `declaredLength` is the name's length field; a name whose text is shorter (an embedded NUL) is
// refused, as are names refused by SafeRelativePath and names that cannot be converted.
std::optional<std::string> SafeEntryName(std::string_view stored, uint64_t declaredLength, bool utf8Flag);

// The permission bits an entry's file gets: a Unix entry keeps its own (never set-id or sticky
// bits); otherwise the file it replaces keeps its mode; a new file gets 0644, or 0755 for the
// programs `main`, `update` and `replaceself`.
uint32_t EntryMode(std::optional<uint32_t> unixMode, std::optional<uint32_t> replacedMode, std::string_view name);

}  // namespace updater
