// A baseline JPEG writer for tests, apart from the codec's own encoder: 8-bit YCbCr, no subsampling, the
// standard tables scaled by a quality, one interleaved scan. Built from the codec's forward
// transform, quantiser, block coder and table writers, with SOI, SOF0, SOS and EOI around them.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace jpegbase {

// rgb: width x height pixels of red, green, blue bytes, row by row. Throws
// std::invalid_argument for an empty or oversized picture and std::runtime_error when the
// codec's pieces refuse.
std::vector<uint8_t> encode_rgb(int width, int height, const std::vector<uint8_t>& rgb, int quality = 90);

}  // namespace jpegbase
