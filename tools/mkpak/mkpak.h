// The test-only PAK packer: builds archives that the PAK layer reads (the programs only read).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mkpak {

struct Item {
  std::string name;  // the path as the client asks for it, e.g. "system\\head.mda"
  std::vector<uint8_t> data;
};

// The archive's bytes: head, entries sorted by name hash, then each entry's block table and
// blocks. Each 64 KB block is LZO1X-compressed when that fits a u16 length, else stored raw
// (padded to 65536 bytes); `raw` stores every block raw. False with a reason on two names of
// one hash or a compressor failure.
bool build(const std::vector<Item>& items, bool raw, std::vector<uint8_t>& out, std::string& error);

// build() written to a host file.
bool write(const std::string& hostPath, const std::vector<Item>& items, bool raw, std::string& error);

// Reads "NAME<TAB>SOURCE" lines (SOURCE a host path, relative to the manifest's folder when
// not absolute) and writes the archive.
bool packManifest(const std::string& outPath, const std::string& manifestPath, bool raw, std::string& error);

}  // namespace mkpak
