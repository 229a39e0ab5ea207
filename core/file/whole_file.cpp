#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/file/whole_file.h"
#include "plat/platform.h"
#include "plat/cp936.h"
#include "plat/winmsg.h"

void file_buffer_free(FILE_BUFFER* buffer) {
  if (!buffer) return;
  std::free(buffer->data);
  buffer->data = nullptr;
  buffer->length = 0;
}

int load_whole_file(const char* path, FILE_BUFFER* buffer, uint32_t max_length) {
  if (!buffer) return -2;
  file_buffer_free(buffer);
  if (!path || !*path) return -2;
  auto f = plat::get().files().open(path, "rb");
  if (!f) return -2;
  int64_t size = f->size();
  if (size < 0 || static_cast<uint64_t>(size) > std::min(max_length, WHOLE_FILE_MAX)) return -2;
  auto* data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size) + 1));
  if (!data) {
    plat::get().messageBox().show(plat::kNoWindow, "Unable to collocate memory", "", plat::MB_OK);
    return -2;
  }
  size_t got = size > 0 ? f->read(data, static_cast<size_t>(size)) : 0;
  data[got] = 0;  // text readers may treat the buffer as a string
  buffer->data = data;
  buffer->length = static_cast<uint32_t>(got);
  return 0;
}

// Pairs starting in the first length - 1 bytes; an empty buffer has none (the unsigned
// "length - 1" would otherwise wrap and read far past the buffer).
int count_line_separators(const FILE_BUFFER* buffer) {
  if (!buffer || !buffer->data || buffer->length < 2) return 0;
  int count = 0;
  for (uint32_t i = 0; i + 1 < buffer->length; ++i) {
    if (buffer->data[i] == '#' && buffer->data[i + 1] == 'L') {
      ++count;
      ++i;
    }
  }
  return count;
}

void get_text_line(int index, const FILE_BUFFER* buffer, char* out) {
  out[0] = 0;
  if (!buffer || !buffer->data || index < 0) return;
  const uint8_t* p = buffer->data;
  const uint32_t len = buffer->length;
  // One byte more than fits, so the cut below can tell whether it splits a character.
  char line_bytes[TEXT_LINE_SIZE];
  int line = 0;
  size_t n = 0;
  for (uint32_t i = 0; i < len; ++i) {
    if (p[i] == '#' && i + 1 < len && p[i + 1] == 'L') {
      if (line == index) break;
      ++line;
      ++i;
      continue;
    }
    if (line != index || p[i] == '\r' || p[i] == '\n') continue;
    if (n < sizeof line_bytes) line_bytes[n++] = static_cast<char>(p[i]);
  }
  // A long line is cut at 1023 bytes, never inside a double-byte character.
  n = plat::cp936::fitLength(std::string_view(line_bytes, n), TEXT_LINE_SIZE - 1);
  std::memcpy(out, line_bytes, n);
  out[n] = 0;
}
