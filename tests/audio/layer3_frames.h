// Hand-made layer III frames for the decoder's unit tests: a big-endian bit writer, the code
// word of a Huffman pair, and a frame source over a list of frames.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/tables/mpa_tables.h"

namespace l3_test {

class BitWriter {
 public:
  void put(uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i) putBit((value >> i) & 1u);
  }
  void putBit(uint32_t b) {
    if (bits_ % 8 == 0) bytes_.push_back(0);
    if (b) bytes_.back() |= static_cast<uint8_t>(0x80u >> (bits_ % 8));
    ++bits_;
  }
  int64_t bits() const { return bits_; }
  std::vector<uint8_t> bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int64_t bits_ = 0;
};

// Code word of (x, y) in a table (x, y below 16; count1 tables: y is v*8 + w*4 + x*2 + y).
inline mpa_tables::HuffmanCode codeOf(int table, int x, int y) {
  for (const auto& c : mpa_tables::huffman(table).codes)
    if (c.x == x && c.y == y) return c;
  throw std::runtime_error("no such code");
}
inline void putCode(BitWriter& w, int table, int x, int y) {
  const auto c = codeOf(table, x, y);
  w.put(c.bits, c.length);
}

// Frames given as header fields and the bytes after the header (and CRC word). The reader
// stands after the current frame's header; nextHeader moves to the start of the next frame's
// body, wherever the layer left the reader.
class ListSource : public mpa::FrameSource {
 public:
  struct Frame {
    mpa::FrameHeader header;
    std::vector<uint8_t> body;
  };
  explicit ListSource(std::vector<Frame> frames) : frames_(std::move(frames)) {
    for (const Frame& f : frames_) {
      starts_.push_back(static_cast<int64_t>(buf_.size()));
      buf_.insert(buf_.end(), f.body.begin(), f.body.end());
    }
    buf_.resize(buf_.size() + mpa::kBitPadBytes, 0);
    reader_.base = buf_.data();
    reader_.pos = &pos_;
    reader_.held = static_cast<int64_t>(buf_.size()) - mpa::kBitPadBytes;
    select(0);
  }
  const mpa::FrameHeader& header() const override { return current_; }
  mpa::BitReader& reader() override { return reader_; }
  bool nextHeader() override { return select(index_ + 1); }
  int index() const { return index_; }

 private:
  bool select(size_t i) {
    index_ = static_cast<int>(i);
    if (i >= frames_.size()) {
      current_.bitrateIndex = 0;
      return false;
    }
    current_ = frames_[i].header;
    pos_ = starts_[i] * 8;
    return true;
  }
  std::vector<Frame> frames_;
  std::vector<int64_t> starts_;
  std::vector<uint8_t> buf_;
  mpa::FrameHeader current_;
  mpa::BitReader reader_;
  int64_t pos_ = 0;
  int index_ = 0;
};

}  // namespace l3_test
