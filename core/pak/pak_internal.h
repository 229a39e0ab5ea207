// The PAK layer's records and module state, shared by its source files.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/pak/pak.h"
#include "plat/files.h"

constexpr uint32_t PAK_BLOCK_SIZE = 65536;
constexpr int PAK_BLOCK_SHIFT = 16;
constexpr int PAK_CACHE_SLOTS = 8;
constexpr size_t PAK_HEAD_SIZE = 20;
constexpr size_t PAK_ENTRY_SIZE = 12;
constexpr uint32_t PAK_VERSION = 0x00010000;

struct PakEntry {
  uint32_t hash = 0;
  uint32_t offset = 0;  // of the entry's block table
  uint32_t size = 0;    // uncompressed
};

struct PAK_ARCHIVE {
  std::unique_ptr<plat::File> file;
  std::string path;
  uint64_t file_size = 0;
  // Where the file stands after our last read, -1 unknown: sequential blocks need no seek.
  int64_t file_pos = -1;
  std::vector<PakEntry> entries;
  // Entries open on it; a closed archive lives on until the last one closes.
  int open_entries = 0;
  bool closed = false;
};

struct PAK_FILE {
  std::unique_ptr<plat::File> disk;  // set for a disk file
  PAK_ARCHIVE* archive = nullptr;    // set for an archive entry
  uint32_t size = 0;
  uint32_t position = 0;
  int slot = -1;  // cache slot held, -1 none
  // Per block: the stored length (0 = raw, 65536 bytes) and its offset in the archive file,
  // computed once at open so that a seek needs no walk over the table.
  std::vector<uint16_t> lengths;
  std::vector<uint64_t> offsets;
};

// Opens entry `index` of the archive (its block table checked against the file size);
// null with "error entry %d of file %s" logged when the table or a block lies outside.
PAK_FILE* pak_open_entry(PAK_ARCHIVE* archive, size_t index);
// Index of the entry with this hash, or -1.
long pak_find_entry(const PAK_ARCHIVE* archive, uint32_t hash);

// Reads exactly n bytes at a file offset; false on a short read. With `position` (the file's
// known position, -1 unknown) the seek is skipped when the file already stands there.
bool pak_read_at(plat::File& file, uint64_t offset, void* dst, size_t n, int64_t* position = nullptr);

// Decodes block `block` of an entry into dst, which needs room for the block's decoded bytes only
// (65536, or what is left of the entry in its last block). Logs
// "error block %d of file %s" and returns false on a short read, an LZO error or a wrong length.
bool pak_decode_block(PAK_FILE* file, uint32_t block, uint8_t* dst, bool direct);

// The block cache: eight 64 KB slots shared by all entries.
void pak_cache_create();
void pak_cache_destroy();
bool pak_cache_exists();
bool pak_cache_has_owner();
// Gives the file a slot (refreshing its own to the most recent, else a free one, else evicting
// the least recent and detaching its owner); returns the slot index.
int pak_cache_take(PAK_FILE* file);
void pak_cache_release(PAK_FILE* file);
uint8_t* pak_cache_buffer(int slot);
// The block a slot holds for its owner, -1 when none.
int64_t pak_cache_block(int slot);
void pak_cache_set_block(int slot, int64_t block);
// Room for one stored block as read from the archive.
uint8_t* pak_cache_packed_buffer();

struct PakState {
  std::vector<PAK_ARCHIVE*> archives;  // every archive not yet released
  PAK_ARCHIVE* current = nullptr;
  PakDecodeStats stats;
};
PakState& pak_state();
// Releases the archive's file and index; frees the cache when nothing uses it any more.
void pak_release_archive(PAK_ARCHIVE* archive);
