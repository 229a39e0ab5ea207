// Quick questions about a game file, through the path resolver.
#pragma once
#include <cstdint>

// 0 when path names a regular file that can be opened for reading, else -2.
int file_exists(const char* path);
// The file's length, or -1 (empty path, or a file that cannot be opened, which is logged).
int64_t file_length(const char* path);
