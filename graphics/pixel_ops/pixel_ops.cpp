// The families' slot tables and the installed slots.
#include "graphics/pixel_ops/pixel_ops.h"

#include "graphics/pixel_ops/pixel_ops_fixed.h"
#include "graphics/pixel_ops/pixel_ops_masked.h"
#include "graphics/pixel_ops/pixel_rows_common.h"

namespace pixel_rows {

uint16_t Masked::to_555(uint16_t p) {
  int r, g, b;
  unpack(p, &r, &g, &b);
  return Fixed555::pack(r, g, b);
}

uint16_t Masked::from_555(uint16_t p) {
  int r, g, b;
  Fixed555::unpack(p, &r, &g, &b);
  return pack(r, g, b);
}

namespace {
constexpr PIXEL_OPS kOps555 = make_pixel_ops<Fixed<kConst555>>();
constexpr PIXEL_OPS kOps655 = make_pixel_ops<Fixed<kConst655>>();
constexpr PIXEL_OPS kOps565 = make_pixel_ops<Fixed<kConst565>>();
constexpr PIXEL_OPS kOps556 = make_pixel_ops<Fixed<kConst556>>();
constexpr PIXEL_OPS kOpsMasked = make_pixel_ops<Masked>();
}  // namespace

}  // namespace pixel_rows

PIXEL_CHANNELS pixel_channels = {pixel_channel_from_mask(0xF800), pixel_channel_from_mask(0x07E0),
                                 pixel_channel_from_mask(0x001F)};

PIXEL_OPS pixel_ops = pixel_rows::kOps565;

PIXEL_CHANNEL pixel_channel_from_mask(uint32_t mask) {
  PIXEL_CHANNEL c;
  c.mask = mask;
  c.low = 0;
  c.high = 0;
  if (mask != 0) {
    while (((mask >> c.low) & 1u) == 0) ++c.low;
    c.high = 31;
    while (((mask >> c.high) & 1u) == 0) --c.high;
  }
  c.width = c.high - c.low + 1;
  c.pad = 8 - c.width;
  return c;
}

PixelFormatId pixel_format_id_of(const PIXEL_CHANNELS& c) {
  static constexpr struct {
    int red, green, blue;
    PixelFormatId id;
  } kFixed[] = {{5, 5, 5, PIXEL_FORMAT_555}, {6, 5, 5, PIXEL_FORMAT_655}, {5, 6, 5, PIXEL_FORMAT_565},
                {5, 5, 6, PIXEL_FORMAT_556}, {8, 8, 8, PIXEL_FORMAT_565}};
  for (const auto& f : kFixed) {
    if (c.red.width == f.red && c.green.width == f.green && c.blue.width == f.blue) return f.id;
  }
  return PIXEL_FORMAT_ANY;
}

const PIXEL_OPS& pixel_ops_family(int format_id) {
  switch (format_id) {
    case PIXEL_FORMAT_555: return pixel_rows::kOps555;
    case PIXEL_FORMAT_655: return pixel_rows::kOps655;
    case PIXEL_FORMAT_565: return pixel_rows::kOps565;
    case PIXEL_FORMAT_556: return pixel_rows::kOps556;
    default: return pixel_rows::kOpsMasked;
  }
}
