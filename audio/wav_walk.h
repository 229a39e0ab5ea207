// The RIFF walk shared by the WAV readers of files and images: the header walk and the walk
// over the sub-chunks behind "fmt " that sums or copies the "data" chunks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "audio/wav.h"

struct PAK_FILE;

namespace wav_walk {

// Reads n bytes at a position; false when they are not all there.
using ReadAt = std::function<bool(uint64_t pos, void* dst, size_t n)>;
// Called for each "data" chunk with its payload's position and size; false stops the walk.
using DataVisitor = std::function<bool(uint64_t pos, uint32_t size)>;

struct Header {
  WAV_FORMAT format{};
  uint64_t data_offset = 0;  // just behind the "fmt " chunk
  uint64_t remaining = 0;    // bytes of the RIFF chunk from there
  uint64_t data_bytes = 0;   // sum of every "data" chunk
};

// The header walk over total bytes; false for a format error.
bool header(uint64_t total, const ReadAt& read, Header& out);
// Walks the sub-chunks in [pos, end), visiting every "data" chunk in order; false when a chunk
// header is cut or a chunk runs past end, or when the visitor refuses.
bool sub_chunks(uint64_t pos, uint64_t end, const ReadAt& read, const DataVisitor& visit);

// Readers over an image of length bytes, and over a PAK stream of size bytes (absolute seeks).
ReadAt image_reader(const uint8_t* image, uint32_t length);
ReadAt file_reader(PAK_FILE* file, long size);

}  // namespace wav_walk
