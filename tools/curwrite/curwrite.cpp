// Cursor files written field by field, little-endian.
#include "tools/curwrite/curwrite.h"

#include <algorithm>
#include <cstring>

#include "plat/bytes.h"

namespace curwrite {

namespace {

uint32_t stride(uint32_t width, uint32_t bpp) { return ((width * bpp + 31) / 32) * 4; }

bool opaque(uint32_t argb) { return (argb >> 24) >= 128; }

// The bitmap of one picture: header, palette, XOR rows and AND rows, bottom-up.
std::vector<uint8_t> dib(const plat::CursorFrame& p, int bpp) {
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) throw std::invalid_argument("bit count");
  const uint32_t w = static_cast<uint32_t>(p.width), h = static_cast<uint32_t>(p.height);
  if (p.argb.size() != static_cast<size_t>(w) * h) throw std::invalid_argument("picture size");
  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    palette.push_back(0);
    for (uint32_t c : p.argb) {
      if (!opaque(c)) continue;
      uint32_t rgb = c & 0xFFFFFF;
      if (std::find(palette.begin(), palette.end(), rgb) == palette.end()) palette.push_back(rgb);
    }
    if (palette.size() > (1u << bpp)) throw std::invalid_argument("too many colours for the palette");
  }
  const uint32_t xs = stride(w, static_cast<uint32_t>(bpp)), as = stride(w, 1);
  plat::ByteWriter out;
  out.u32(40);
  out.i32(static_cast<int32_t>(w));
  out.i32(static_cast<int32_t>(h * 2));
  out.u16(1);
  out.u16(static_cast<uint16_t>(bpp));
  out.u32(0);
  out.u32((xs + as) * h);
  out.u32(0);
  out.u32(0);
  out.u32(static_cast<uint32_t>(palette.size()));
  out.u32(0);
  for (uint32_t rgb : palette) {
    out.u8(static_cast<uint8_t>(rgb));
    out.u8(static_cast<uint8_t>(rgb >> 8));
    out.u8(static_cast<uint8_t>(rgb >> 16));
    out.u8(0);
  }
  for (uint32_t fy = 0; fy < h; ++fy) {
    const uint32_t* row = p.argb.data() + static_cast<size_t>(h - 1 - fy) * w;
    std::vector<uint8_t> line(xs, 0);
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t c = row[x];
      const uint32_t rgb = opaque(c) || bpp == 32 ? c & 0xFFFFFF : 0;
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          const uint32_t idx = static_cast<uint32_t>(std::find(palette.begin(), palette.end(), rgb) - palette.begin());
          const uint32_t bit = x * static_cast<uint32_t>(bpp);
          line[bit / 8] = static_cast<uint8_t>(line[bit / 8] | (idx << (8 - bpp - bit % 8)));
          break;
        }
        case 24:
          line[x * 3] = static_cast<uint8_t>(rgb);
          line[x * 3 + 1] = static_cast<uint8_t>(rgb >> 8);
          line[x * 3 + 2] = static_cast<uint8_t>(rgb >> 16);
          break;
        case 32:
          line[x * 4] = static_cast<uint8_t>(c);
          line[x * 4 + 1] = static_cast<uint8_t>(c >> 8);
          line[x * 4 + 2] = static_cast<uint8_t>(c >> 16);
          line[x * 4 + 3] = static_cast<uint8_t>(c >> 24);
          break;
      }
    }
    out.bytes(line.data(), line.size());
  }
  for (uint32_t fy = 0; fy < h; ++fy) {
    const uint32_t* row = p.argb.data() + static_cast<size_t>(h - 1 - fy) * w;
    std::vector<uint8_t> line(as, 0);
    for (uint32_t x = 0; x < w; ++x)
      if (!opaque(row[x])) line[x / 8] = static_cast<uint8_t>(line[x / 8] | (0x80 >> (x % 8)));
    out.bytes(line.data(), line.size());
  }
  return out.take();
}

void chunk(plat::ByteWriter& out, const char* id, const std::vector<uint8_t>& payload) {
  out.bytes(id, 4);
  out.u32(static_cast<uint32_t>(payload.size()));
  out.bytes(payload.data(), payload.size());
  if (payload.size() % 2) out.u8(0);
}

std::vector<uint8_t> u32s(const std::vector<uint32_t>& v) {
  plat::ByteWriter w;
  for (uint32_t x : v) w.u32(x);
  return w.take();
}

}  // namespace

std::vector<uint8_t> writeCur(const plat::CursorFrame& picture, int bitsPerPixel) {
  std::vector<uint8_t> image = dib(picture, bitsPerPixel);
  plat::ByteWriter out;
  out.u16(0);
  out.u16(2);
  out.u16(1);
  out.u8(static_cast<uint8_t>(picture.width >= 256 ? 0 : picture.width));
  out.u8(static_cast<uint8_t>(picture.height >= 256 ? 0 : picture.height));
  out.u8(bitsPerPixel <= 4 ? static_cast<uint8_t>(1u << bitsPerPixel) : 0);
  out.u8(0);
  out.u16(static_cast<uint16_t>(picture.hotSpot.x));
  out.u16(static_cast<uint16_t>(picture.hotSpot.y));
  out.u32(static_cast<uint32_t>(image.size()));
  out.u32(6 + 16);
  out.bytes(image.data(), image.size());
  return out.take();
}

std::vector<uint8_t> writeAni(const std::vector<plat::CursorFrame>& frames, const AniOptions& options) {
  plat::ByteWriter body;
  body.bytes("ACON", 4);
  plat::ByteWriter header;
  const uint32_t steps = options.sequence.empty() ? static_cast<uint32_t>(frames.size())
                                                  : static_cast<uint32_t>(options.sequence.size());
  header.u32(36);
  header.u32(static_cast<uint32_t>(frames.size()));
  header.u32(steps);
  header.u32(0);
  header.u32(0);
  header.u32(0);
  header.u32(0);
  header.u32(options.displayRate);
  header.u32(options.sequence.empty() ? 1u : 3u);  // icon frames, and a sequence when one is given
  chunk(body, "anih", header.take());
  if (!options.rates.empty()) chunk(body, "rate", u32s(options.rates));
  if (!options.sequence.empty()) chunk(body, "seq ", u32s(options.sequence));
  plat::ByteWriter list;
  list.bytes("fram", 4);
  for (const plat::CursorFrame& f : frames) chunk(list, "icon", writeCur(f, options.bitsPerPixel));
  chunk(body, "LIST", list.take());
  plat::ByteWriter out;
  out.bytes("RIFF", 4);
  out.u32(static_cast<uint32_t>(body.size()));
  out.bytes(body.data().data(), body.size());
  return out.take();
}

plat::CursorFrame arrowPicture(int32_t size, uint32_t colour) {
  plat::CursorFrame f;
  f.width = f.height = size;
  f.argb.assign(static_cast<size_t>(size) * size, 0);
  // A right triangle along the left and top edges, its long side outlined in black.
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x <= y && x < size; ++x) {
      const bool edge = x == 0 || x == y || y == size - 1;
      f.argb[static_cast<size_t>(y) * size + x] = 0xFF000000u | (edge ? 0 : (colour & 0xFFFFFF));
    }
  }
  return f;
}

std::vector<uint8_t> cursorSetFile(int n) {
  // Shape 0 is static; the others animate in 2 to 4 frames, each set in its own colours.
  const int count = n == 0 ? 1 : 2 + n % 3;
  const uint32_t seed = static_cast<uint32_t>(n + 1);
  std::vector<plat::CursorFrame> frames;
  for (int i = 0; i < count; ++i)
    frames.push_back(arrowPicture(32, (seed * 0x2F1B3D + static_cast<uint32_t>(i) * 0x3050A0u) & 0xFFFFFF));
  return writeAni(frames);
}

}  // namespace curwrite
