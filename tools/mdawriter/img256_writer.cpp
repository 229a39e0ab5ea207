#include "tools/mdawriter/img256_writer.h"

#include <map>
#include <stdexcept>

#include "plat/bytes.h"

namespace mdaw {

namespace {
constexpr uint32_t kHead = 808;
}  // namespace

Picture picture_fill(int width, int height, Rgba colour) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.assign(static_cast<size_t>(width) * height, colour);
  return p;
}

void stream_run(std::vector<uint8_t>& s, const std::vector<std::pair<uint8_t, uint8_t>>& pairs) {
  s.push_back(255);
  s.push_back(static_cast<uint8_t>(pairs.size() & 0xFF));
  s.push_back(static_cast<uint8_t>(pairs.size() >> 8));
  for (const auto& [index, alpha] : pairs) {
    s.push_back(index);
    s.push_back(alpha);
  }
}

void stream_skip(std::vector<uint8_t>& s, uint16_t n) {
  s.push_back(254);
  s.push_back(static_cast<uint8_t>(n & 0xFF));
  s.push_back(static_cast<uint8_t>(n >> 8));
}

std::vector<uint8_t> img256_build(const RawFrame& f) {
  plat::ByteWriter w;
  w.bytes(f.lower_case_magic ? "vorn img256 file" : "VORN IMG256 FILE", 16);
  w.u8(0);
  w.zeros(3);
  w.u16(f.width);
  w.u16(f.height);
  w.u16(f.geometry.box_x);
  w.u16(f.geometry.box_y);
  w.i16(f.geometry.hot_x);
  w.i16(f.geometry.hot_y);
  w.u32(f.stream_length.value_or(static_cast<uint32_t>(f.stream.size())));
  w.bytes(f.palette.data(), f.palette.size());
  w.u32(f.stream_offset.value_or(kHead));
  w.bytes(f.stream.data(), f.stream.size());
  if (f.terminate) w.u8(0);
  std::vector<uint8_t> out = w.take();
  if (f.truncate_to && *f.truncate_to < out.size()) out.resize(*f.truncate_to);
  return out;
}

std::vector<uint8_t> img256_encode(const Picture& picture, const FrameGeometry& geometry) {
  if (picture.width < 0 || picture.height < 0 || picture.width > 65535 || picture.height > 65535) {
    throw std::runtime_error("picture size out of range");
  }
  RawFrame f;
  f.width = static_cast<uint16_t>(picture.width);
  f.height = static_cast<uint16_t>(picture.height);
  f.geometry = geometry;
  std::map<uint32_t, uint8_t> colours;  // 0xRRGGBB -> palette index, in order of appearance
  auto index_of = [&](const Rgba& c) {
    const uint32_t key = uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b;
    auto it = colours.find(key);
    if (it != colours.end()) return it->second;
    if (colours.size() == 256) throw std::runtime_error("more than 256 colours");
    const auto i = static_cast<uint8_t>(colours.size());
    colours.emplace(key, i);
    f.palette[3 * i] = c.r;
    f.palette[3 * i + 1] = c.g;
    f.palette[3 * i + 2] = c.b;
    return i;
  };
  for (int y = 0; y < picture.height; ++y) {
    int x = 0;
    while (x < picture.width) {
      int end = x;
      const bool clear = picture.at(x, y).a == 0;
      while (end < picture.width && (picture.at(end, y).a == 0) == clear && end - x < 65535) ++end;
      if (clear) {
        // A clear span at the end of a row needs no skip.
        if (end < picture.width) stream_skip(f.stream, static_cast<uint16_t>(end - x));
      } else {
        std::vector<std::pair<uint8_t, uint8_t>> pairs;
        for (int i = x; i < end; ++i) pairs.emplace_back(index_of(picture.at(i, y)), picture.at(i, y).a);
        stream_run(f.stream, pairs);
      }
      x = end;
    }
    stream_row_end(f.stream);
  }
  return img256_build(f);
}

}  // namespace mdaw
