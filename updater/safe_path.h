// Relative names that come from the network (archive entries, Patch.ini values) made safe before
// they touch the game folder: "\" separates like "/" (a trail byte 0x5C of a double-byte
// character never does), "." parts are dropped and ".." parts are applied; empty, absolute,
// drive-letter and escaping names, and names holding a control byte, are refused.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace updater {

// The parts joined with "/"; nullopt when refused or when nothing is left ("a/..").
std::optional<std::string> SafeRelativePath(std::string_view cp936);

// Folder + "/" + a relative name, without doubling a separator that folder already ends with.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace updater
