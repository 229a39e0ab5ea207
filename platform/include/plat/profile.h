// Ini files as the Windows private profile functions read and write them ("Update.ini",
// "MUpdate.ini", "Patch.ini"): "[section]" headers, "key=value" lines, ';' comment lines.
//
// Sections and keys match ignoring ASCII letter case (code page 936 trail bytes are never
// folded); the first matching section, and in it the first matching key, wins. Keys and values
// lose the blanks (space, tab) at their ends, and a value in matching quotes ('"' or '\'') loses
// them. "\r\n" and "\n" both end a line. Lines before the first section, lines without '=' and
// lines with an empty key are ignored.
//
// The file functions go through the path resolver (plat::get().files()) and are safe to call
// from several threads at once: each call reads the file whole, and writes are serialised.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace plat::profile {

// ---- over the file's bytes (no file access) ----

// The value of `key` in `section`; false when the section or the key is missing.
bool findValue(std::string_view text, std::string_view section, std::string_view key, std::string& value);
// The key names of `section` in file order (empty when it is missing).
std::vector<std::string> keyNames(std::string_view text, std::string_view section);
// The file's bytes after a write of key=value: the key's line replaced in place (its key as the
// file spells it, its own line end kept), else a line appended after the section's last entry,
// else the section and the line appended at the end. New lines end in "\r\n"; every other line
// stays byte for byte.
std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

// ---- over files ----

// GetPrivateProfileString with a key: the value, cut to size - 1 characters; `def` (less its
// trailing blanks, cut the same way) when the file, the section or the key is missing.
std::string getString(std::string_view path, std::string_view section, std::string_view key, std::string_view def,
                      size_t size);
// GetPrivateProfileString without a key: the section's key names as they fit a buffer of `size`
// characters that holds each name with its NUL and one closing NUL. When they do not fit, the
// buffer keeps its first size - 2 characters: whole names, then the one cut there.
std::vector<std::string> getKeyNames(std::string_view path, std::string_view section, size_t size);
// WritePrivateProfileString with a key and a value: creates the file (and the section) when
// missing. The new bytes go to a temporary file beside it, which then replaces it whole, so a
// crash never leaves half a file. False when a text holds a line end (or the section a ']', the
// key a '='), the file is read-only, or it cannot be written.
bool writeString(std::string_view path, std::string_view section, std::string_view key, std::string_view value);

}  // namespace plat::profile
