// Test-only IMG256 frame writer: an exact palette of up to 256 colours, alpha-0 spans as skips,
// other spans as runs, 253 at each row's end, the stream at offset 808 followed by a
// terminating 0. Raw frames and deliberate faults for the malformed-input tests.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace mdaw {

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgba> pixels;  // row by row
  Rgba& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture picture_fill(int width, int height, Rgba colour);

struct FrameGeometry {
  uint16_t box_x = 0, box_y = 0;
  int16_t hot_x = 0, hot_y = 0;
};

// Throws std::runtime_error for more than 256 colours or a size above 65535.
std::vector<uint8_t> img256_encode(const Picture& picture, const FrameGeometry& geometry);

// A frame from its parts as they are: head fields, palette and stream bytes. The optional fields
// replace what the writer would compute, to build faulty frames.
struct RawFrame {
  uint16_t width = 0, height = 0;
  FrameGeometry geometry;
  std::array<uint8_t, 768> palette{};
  std::vector<uint8_t> stream;
  bool terminate = true;                         // a 0 after the stream (outside its length)
  std::optional<uint32_t> stream_length;         // default: the stream's size
  std::optional<uint32_t> stream_offset;         // default: 808
  std::optional<uint32_t> truncate_to;           // cut the frame's bytes to this size
  bool lower_case_magic = false;
};
std::vector<uint8_t> img256_build(const RawFrame& frame);

// Stream pieces for raw frames.
void stream_run(std::vector<uint8_t>& s, const std::vector<std::pair<uint8_t, uint8_t>>& pairs);
void stream_skip(std::vector<uint8_t>& s, uint16_t n);
inline void stream_row_end(std::vector<uint8_t>& s) { s.push_back(253); }

}  // namespace mdaw
