// A whole game file in memory, and the "#L"-separated lines of text files read that way.
#pragma once
#include <cstddef>
#include <cstdint>

// Owned by the caller. data holds length bytes and one NUL after them.
struct FILE_BUFFER {
  uint32_t length = 0;
  uint8_t* data = nullptr;
};
// Frees the old contents, then reads the whole file: 0, or -2 for an empty or unopenable path
// (folders included), a file longer than max_length (refused before it is read) and when memory
// runs out ("Unable to collocate memory" box).
constexpr uint32_t WHOLE_FILE_MAX = 0xfffffffe;  // the length field is 32 bits
int load_whole_file(const char* path, FILE_BUFFER* buffer, uint32_t max_length = WHOLE_FILE_MAX);
void file_buffer_free(FILE_BUFFER* buffer);

// Lines of a loaded file are separated by "#L".
constexpr size_t TEXT_LINE_SIZE = 1024;
int count_line_separators(const FILE_BUFFER* buffer);
// Line index (0 = before the first "#L") without CR and LF, cut to 1023 bytes, into out
// (TEXT_LINE_SIZE bytes). Always NUL-terminated; empty when the line does not exist.
void get_text_line(int index, const FILE_BUFFER* buffer, char* out);
