// What the cake reader and writer share inside the library.
#pragma once
#include <cstdint>

#include "graphics/rle/stream_source.h"

namespace plat {
class ByteWriter;
}

// One chunk's bytes (head and payload, colours 555).
void cake_chunk_bytes(plat::ByteWriter& w, uint32_t tag, const void* object);
// One chunk from the source: the bytes consumed, or -1 when the source ends inside it.
int64_t cake_read_chunk(StreamSource& src, uint32_t* tag, void** object);
