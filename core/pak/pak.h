// Data files read from disk or, when absent there, from the current PAK archive: a stdio-like
// interface. Entries are found by a hash of the lower-cased path and stored as 64 KB blocks,
// raw or LZO1X-compressed; decoded blocks stay in a shared cache of eight slots.
// Main thread only: the cache and the archive index are unguarded.
#pragma once
#include <cstddef>
#include <cstdint>

struct PAK_ARCHIVE;
struct PAK_FILE;

// Opens an archive and makes it current; null on failure (head errors are logged).
PAK_ARCHIVE* pak_open_archive(const char* path);
// Stops the archive being current; its file and index go once no entry of it is open.
void pak_close_archive(PAK_ARCHIVE* archive);
// Null means no archive; a closed or unknown archive is ignored.
void pak_set_current_archive(PAK_ARCHIVE* archive);
PAK_ARCHIVE* pak_current_archive();

// Disk first (through the path resolver), then the current archive; null when on neither,
// with nothing logged. An archive entry is read-only whatever the mode.
PAK_FILE* pak_fopen(const char* path, const char* mode);
// A disk file gives fread's item count; an archive entry the number of bytes copied.
size_t pak_fread(void* buffer, size_t size, size_t count, PAK_FILE* file);
// 0 for an archive entry (whence 2 means the last byte; positions clamp to size - 1);
// a disk file behaves like fseek.
int pak_fseek(PAK_FILE* file, long offset, int whence);
long pak_ftell(PAK_FILE* file);
long pak_fsize(PAK_FILE* file);
// 0 for an archive entry; fwrite's item count for a disk file.
size_t pak_fwrite(const void* buffer, size_t size, size_t count, PAK_FILE* file);
int pak_fclose(PAK_FILE* file);

// Hash of the path's bytes after lower-casing (ASCII letters only, never a trail byte).
uint32_t pak_name_hash(const char* path);

// Block decodes since the last reset; `direct` counts those made into the caller's buffer.
struct PakDecodeStats {
  uint64_t decodes = 0;
  uint64_t direct = 0;
};
PakDecodeStats pak_decode_stats();

// Tests only: closes every archive, frees the cache and zeroes the counters. Open PAK_FILEs
// of archive entries must be closed first.
void pak_reset();
