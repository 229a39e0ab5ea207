// Shared internals of the media table.
#pragma once
#include <cstddef>
#include <cstdint>

#include "graphics/mda/mda.h"

// Frees every block an entry owns and clears its pointers.
void mda_entry_free_blocks(MDA_ENTRY& e);

// Visits the script records at offset: visit(type, text, text_length). The script ends at its
// length L, at the end of the data, or at a record shorter than 2 bytes or running past either;
// a text is read only within its record (an unterminated one is cut there).
template <class Visit>
void mda_walk_script(const uint8_t* data, size_t size, uint32_t offset, Visit visit) {
  if (!data || size < 4 || offset > size - 4) return;
  const uint32_t length = static_cast<uint32_t>(data[offset] | data[offset + 1] << 8 | data[offset + 2] << 16 |
                                                static_cast<uint32_t>(data[offset + 3]) << 24);
  const size_t start = size_t{offset} + 4;
  const size_t end = start + length < size ? start + length : size;
  size_t pos = start;
  while (pos + 2 <= end) {
    const uint8_t type = data[pos], record = data[pos + 1];
    if (record < 2 || pos + record > end) break;
    const auto* text = reinterpret_cast<const char*>(data + pos + 2);
    size_t n = 0;
    while (n < size_t{record} - 2 && text[n]) ++n;
    visit(type, text, n);
    pos += record;
  }
}

// Compiles the entry's script (it is not in the table while this runs). long_names counts the
// texts too long to keep, for the caller to report. 0, or -1 when memory runs out.
int mda_compile_into(MDA_ENTRY& e, int* long_names);

extern const char kMdaLongNameMessage[];
