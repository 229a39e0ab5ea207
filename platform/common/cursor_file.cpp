// Windows cursor files: ".cur" (an icon directory of device-independent bitmaps with AND masks)
// and ".ani" (RIFF "ACON": a header, optional rates and sequence, and a list of ".cur" frames).
// Every count, offset and size is checked against the bytes; cursor files are outside input.
#include <cstring>
#include <string>

#include "plat/bytes.h"
#include "plat/cursor.h"

namespace plat {

namespace {

struct Malformed {
  std::string why;
};

[[noreturn]] void bad(std::string why) { throw Malformed{std::move(why)}; }

bool hasTag(std::span<const uint8_t> b, const char* tag) { return b.size() >= 4 && std::memcmp(b.data(), tag, 4) == 0; }

uint32_t rowStride(uint32_t width, uint32_t bpp) { return ((width * bpp + 31) / 32) * 4; }

bool maskBit(std::span<const uint8_t> row, int32_t x) {
  return (row[static_cast<size_t>(x) / 8] >> (7 - (x % 8))) & 1;
}

// One device-independent bitmap: header, palette, XOR picture, AND mask. Rows are stored
// bottom-up. nullopt for a PNG image (not supported; the caller tries the next entry).
std::optional<CursorFrame> decodeImage(std::span<const uint8_t> image, size_t baseOffset) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (image.size() >= 8 && std::memcmp(image.data(), kPng, 8) == 0) return std::nullopt;

  ByteReader r(image, baseOffset);
  uint32_t headerSize = r.u32("biSize");
  if (headerSize < 40) bad("bitmap header of " + std::to_string(headerSize) + " bytes");
  int32_t width = r.i32("biWidth");
  int32_t doubleHeight = r.i32("biHeight");
  r.u16("biPlanes");
  uint32_t bpp = r.u16("biBitCount");
  uint32_t compression = r.u32("biCompression");
  r.skip(12, "biSizeImage..biYPelsPerMeter");
  uint32_t colorsUsed = r.u32("biClrUsed");
  r.seek(headerSize, "bitmap header");

  if (width <= 0 || width > kCursorMaxSide) bad("image width " + std::to_string(width));
  if (doubleHeight <= 0 || doubleHeight % 2 != 0 || doubleHeight / 2 > kCursorMaxSide)
    bad("image height " + std::to_string(doubleHeight));
  int32_t height = doubleHeight / 2;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) bad("bit count " + std::to_string(bpp));
  if (compression != 0) bad("compressed image");

  std::vector<uint32_t> palette;
  if (bpp <= 8) {
    uint32_t full = 1u << bpp;
    uint32_t n = colorsUsed == 0 ? full : colorsUsed;
    if (n > full) bad("palette of " + std::to_string(n) + " colours");
    ByteReader pal = r.records(n, 4, "palette");
    for (uint32_t i = 0; i < n; ++i) {
      uint32_t b = pal.u8(), g = pal.u8(), red = pal.u8();
      pal.u8();
      palette.push_back(red << 16 | g << 8 | b);
    }
  }

  const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
  const uint32_t xorStride = rowStride(w, bpp), andStride = rowStride(w, 1);
  ByteReader xorRows = r.records(h, xorStride, "XOR bitmap");
  // 32-bit pictures carry their own alpha; some writers leave their AND mask out.
  bool haveMask = bpp != 32 || r.remaining() >= static_cast<uint64_t>(andStride) * h;
  ByteReader andRows;
  if (haveMask) andRows = r.records(h, andStride, "AND mask");

  CursorFrame f;
  f.width = width;
  f.height = height;
  f.argb.assign(static_cast<size_t>(w) * h, 0);
  std::span<const uint8_t> xorAll = xorRows.rest(), andAll = haveMask ? andRows.rest() : std::span<const uint8_t>{};
  bool anyAlpha = false;
  if (bpp == 32) {
    for (size_t i = 3; i < xorAll.size(); i += 4) anyAlpha |= xorAll[i] != 0;
  }
  for (uint32_t fy = 0; fy < h; ++fy) {
    const uint32_t y = h - 1 - fy;  // bottom-up
    std::span<const uint8_t> xr = xorAll.subspan(static_cast<size_t>(fy) * xorStride, xorStride);
    std::span<const uint8_t> ar = haveMask ? andAll.subspan(static_cast<size_t>(fy) * andStride, andStride)
                                           : std::span<const uint8_t>{};
    for (uint32_t x = 0; x < w; ++x) {
      uint32_t rgb = 0, alpha = 0xFF;
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          uint32_t bit = x * bpp;
          uint32_t idx = (xr[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
          if (idx >= palette.size()) bad("colour index past the palette");
          rgb = palette[idx];
          break;
        }
        case 24:
          rgb = static_cast<uint32_t>(xr[x * 3 + 2]) << 16 | static_cast<uint32_t>(xr[x * 3 + 1]) << 8 | xr[x * 3];
          break;
        case 32:
          rgb = static_cast<uint32_t>(xr[x * 4 + 2]) << 16 | static_cast<uint32_t>(xr[x * 4 + 1]) << 8 | xr[x * 4];
          if (anyAlpha) alpha = xr[x * 4 + 3];
          break;
      }
      if (!anyAlpha && haveMask && maskBit(ar, static_cast<int32_t>(x))) {
        // Mask set: transparent where the picture is black; elsewhere Windows inverts the
        // screen, which a colour cursor cannot do, so those pixels show black.
        if (rgb == 0) alpha = 0;
        else rgb = 0;
      }
      f.argb[static_cast<size_t>(y) * w + x] = alpha == 0 ? 0 : (alpha << 24 | rgb);
    }
  }
  return f;
}

// An icon directory: the first entry whose image decodes (PNG entries are passed over).
CursorFrame parseCur(std::span<const uint8_t> bytes, size_t baseOffset) {
  ByteReader r(bytes, baseOffset);
  if (r.u16("idReserved") != 0) bad("not a cursor file");
  uint16_t type = r.u16("idType");
  if (type != 1 && type != 2) bad("directory type " + std::to_string(type));
  uint16_t count = r.u16("idCount");
  if (count == 0) bad("no images");
  ByteReader entries = r.records(count, 16, "directory entries");
  for (uint16_t i = 0; i < count; ++i) {
    entries.skip(4, "entry size and colours");
    uint16_t hotX = entries.u16("hot spot x");
    uint16_t hotY = entries.u16("hot spot y");
    uint32_t size = entries.u32("image size");
    uint32_t offset = entries.u32("image offset");
    if (offset > bytes.size() || size > bytes.size() - offset)
      throw MalformedInput("image " + std::to_string(i), baseOffset + offset, size,
                           offset > bytes.size() ? 0 : bytes.size() - offset);
    std::optional<CursorFrame> f = decodeImage(bytes.subspan(offset, size), baseOffset + offset);
    if (!f) continue;
    // Icons (type 1) have no hot spot; a cursor's lies inside its picture.
    if (type == 2) {
      f->hotSpot.x = hotX < f->width ? hotX : f->width - 1;
      f->hotSpot.y = hotY < f->height ? hotY : f->height - 1;
    }
    return std::move(*f);
  }
  bad("no supported image (PNG images are not read)");
}

std::vector<uint32_t> u32Array(ByteReader payload, const char* field) {
  std::vector<uint32_t> out;
  size_t n = payload.remaining() / 4;
  if (n > kCursorMaxSteps) bad(std::string(field) + " of " + std::to_string(n) + " entries");
  for (size_t i = 0; i < n; ++i) out.push_back(payload.u32(field));
  return out;
}

CursorImage parseAni(std::span<const uint8_t> bytes) {
  ByteReader file(bytes);
  file.skip(4, "RIFF");
  uint32_t riffSize = file.u32("RIFF size");
  // Writers are careless with the outer size; only what is there is read.
  ByteReader riff = file.sub(riffSize < file.remaining() ? riffSize : file.remaining(), "RIFF body");
  std::span<const uint8_t> form = riff.bytes(4, "form type");
  if (!hasTag(form, "ACON")) bad("RIFF form is not ACON");

  bool haveHeader = false;
  uint32_t headerFrames = 0, headerSteps = 0, displayRate = 0, flags = 0;
  std::vector<uint32_t> rates, sequence;
  bool haveRates = false, haveSequence = false;
  CursorImage img;

  while (riff.remaining() >= 8) {
    std::span<const uint8_t> id = riff.bytes(4, "chunk id");
    uint32_t size = riff.u32("chunk size");
    ByteReader payload = riff.sub(size, "chunk");
    if (size % 2 != 0 && riff.remaining() > 0) riff.skip(1, "pad");
    if (hasTag(id, "anih")) {
      if (size < 36) bad("anih of " + std::to_string(size) + " bytes");
      payload.u32("cbSize");
      headerFrames = payload.u32("nFrames");
      headerSteps = payload.u32("nSteps");
      payload.skip(16, "iWidth..nPlanes");
      displayRate = payload.u32("iDispRate");
      flags = payload.u32("bfAttributes");
      haveHeader = true;
    } else if (hasTag(id, "rate")) {
      rates = u32Array(payload, "rate");
      haveRates = true;
    } else if (hasTag(id, "seq ")) {
      sequence = u32Array(payload, "seq");
      haveSequence = true;
    } else if (hasTag(id, "LIST")) {
      std::span<const uint8_t> listType = payload.bytes(4, "LIST type");
      if (!hasTag(listType, "fram")) continue;
      while (payload.remaining() >= 8) {
        std::span<const uint8_t> sid = payload.bytes(4, "frame chunk id");
        uint32_t ssize = payload.u32("frame chunk size");
        size_t at = payload.offset();
        ByteReader frame = payload.sub(ssize, "frame chunk");
        if (ssize % 2 != 0 && payload.remaining() > 0) payload.skip(1, "pad");
        if (!hasTag(sid, "icon")) continue;
        if (img.frames.size() >= kCursorMaxFrames) bad("more than " + std::to_string(kCursorMaxFrames) + " frames");
        img.frames.push_back(parseCur(frame.rest(), at));
      }
    }
  }
  if (!haveHeader) bad("no anih header");
  if ((flags & 1) == 0) bad("raw frames (not icons) are not read");
  if (img.frames.empty()) bad("no frames");
  if (headerFrames != img.frames.size())
    bad("anih names " + std::to_string(headerFrames) + " frames, the file holds " + std::to_string(img.frames.size()));

  const uint32_t frames = static_cast<uint32_t>(img.frames.size());
  if (haveSequence) {
    if (sequence.empty()) bad("empty sequence");
    for (uint32_t f : sequence)
      if (f >= frames) bad("sequence names frame " + std::to_string(f));
    img.stepFrames = sequence;
  } else {
    for (uint32_t i = 0; i < frames; ++i) img.stepFrames.push_back(i);
  }
  (void)headerSteps;  // the sequence (or the frame list) is what is shown
  const size_t steps = img.stepFrames.size();
  if (haveRates && rates.size() < steps) bad("rate table shorter than the steps");
  for (size_t i = 0; i < steps; ++i) {
    uint32_t j = haveRates ? rates[i] : displayRate;
    img.stepJiffies.push_back(j == 0 ? 1 : j);  // a zero rate would spin
  }
  return img;
}

}  // namespace

std::optional<CursorImage> parseCursorFile(std::span<const uint8_t> bytes, std::string* why) {
  try {
    if (hasTag(bytes, "RIFF")) return parseAni(bytes);
    CursorImage img;
    img.frames.push_back(parseCur(bytes, 0));
    img.stepFrames.push_back(0);
    img.stepJiffies.push_back(1);
    return img;
  } catch (const Malformed& e) {
    if (why) *why = e.why;
  } catch (const MalformedInput& e) {
    if (why) *why = e.what();
  } catch (const std::bad_alloc&) {
    if (why) *why = "out of memory";
  }
  return std::nullopt;
}

}  // namespace plat
