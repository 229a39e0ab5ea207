// An 8-bit BMP file's colour table as a palette.
#include <cstring>

#include "engine/display/display.h"
#include "plat/bytes.h"
#include "plat/platform.h"

namespace {
constexpr size_t kFileHeader = 14, kInfoHeader = 40, kColourTable = 1024;
}  // namespace

// The header's colour count is clamped to 256: the table holds no more, and a larger count
// overran the palette copy.
int32_t display_load_palette(DDRAW_PALETTE* out, const char* name) {
  if (!ddraw_display().object || !name || !out) return DD_E_INVALIDARG;
  auto file = plat::get().files().open(name, "rb");
  if (!file) return DD_E_FAIL;
  uint8_t data[kFileHeader + kInfoHeader + kColourTable];
  if (file->read(data, sizeof(data)) != sizeof(data)) return DD_E_FAIL;

  plat::ByteReader info(data + kFileHeader, kInfoHeader);
  const uint32_t header_size = info.u32("biSize");
  info.skip(10, "biWidth..biPlanes");
  const uint16_t bit_count = info.u16("biBitCount");
  info.skip(16, "biCompression..biYPelsPerMeter");
  const uint32_t used = info.u32("biClrUsed");
  uint32_t colours = 0;
  if (header_size == kInfoHeader && bit_count <= 8) colours = used ? used : (1u << bit_count);
  if (colours > 256) colours = 256;

  *out = DDRAW_PALETTE{};
  plat::ByteReader table(data + kFileHeader + kInfoHeader, kColourTable);
  for (uint32_t i = 0; i < colours; ++i) {
    const uint32_t b = table.u8("blue"), g = table.u8("green"), r = table.u8("red");
    table.skip(1, "reserved");
    out->entries[i] = (r << 16) | (g << 8) | b;
  }
  out->count = static_cast<int32_t>(colours);
  return DD_OK;
}
