// Line splitting and token reading over arbitrary bytes: the first byte picks the line index
// and the token limits, the rest is the file text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "client/common/text_tokens.h"
#include "core/file/whole_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t selector = data[0];
  std::vector<uint8_t> bytes(data + 1, data + size);

  FILE_BUFFER buffer;
  buffer.length = static_cast<uint32_t>(bytes.size());
  buffer.data = bytes.empty() ? nullptr : bytes.data();
  int lines = count_line_separators(&buffer);
  char line[TEXT_LINE_SIZE];
  get_text_line(selector % 8, &buffer, line);
  get_text_line(lines, &buffer, line);
  if (std::strlen(line) >= TEXT_LINE_SIZE) __builtin_trap();

  // Token readers over the text as a string (up to its first NUL).
  std::vector<char> text(bytes.begin(), bytes.end());
  text.push_back(0);
  const int max = selector % 33;
  std::vector<char> out(static_cast<size_t>(max) + 1);
  int pos = 0;
  const int end = static_cast<int>(std::strlen(text.data()));
  while (pos < end) {
    int before = pos;
    next_token(text.data(), out, &pos, selector & 0x40, max);
    if (pos == before) ++pos;  // stopped on a separator: step over it
  }
  pos = 0;
  while (pos < end) {
    int before = pos;
    next_word(text.data(), out, &pos, (selector & 0x80) ? ',' : 0, max);
    if (pos == before) ++pos;
  }
  return 0;
}
