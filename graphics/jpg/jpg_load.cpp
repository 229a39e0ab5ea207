// Loading a region of a JPEG file into a 16-bit bitmap.
#include <cstdlib>
#include <memory>

#include "core/file/file_checks.h"
#include "core/log/log.h"
#include "graphics/bitmap/image_limits.h"
#include "graphics/jpg/jpg_load.h"
#include "plat/platform.h"

namespace {

struct FreeBytes {
  void operator()(uint8_t* p) const { std::free(p); }
};
using Bytes = std::unique_ptr<uint8_t, FreeBytes>;

int refuse(const char* format, const char* path) {
  sys_log_printf(1, format, path);
  return -2;
}

}  // namespace

int jpg_load_region(const char* path, BITMAP16* target, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (!path) path = "";
  const int64_t length = file_length(path);
  if (length <= 0) return refuse("%s file check error", path);

  auto file = plat::get().files().open(path, "rb");
  if (!file) return refuse("Unable to launch %s file", path);
  if (length > INT32_MAX) {
    sys_log(1, "Unable to collocate memory");
    return -2;
  }
  const size_t size = static_cast<size_t>(length);
  Bytes data(static_cast<uint8_t*>(std::malloc(size)));
  if (!data) {
    sys_log(1, "Unable to collocate memory");
    return -2;
  }
  if (file->read(data.get(), size) != size) return refuse("%s file check error", path);

  // A failed header read leaves the sizes unset; sizes above the limits are refused before the
  // decode sizes a buffer from them.
  int32_t image_w = 0, image_h = 0, channels = 0;
  if (jpeg_read_info(data.get(), size, &image_w, &image_h, &channels) != 0 || !image_size_ok(image_w, image_h)) {
    return refuse("%s file check error", path);
  }
  // The region must lie inside the image and fit the target, which is written from (0, 0).
  if (!target || x < 0 || y < 0 || width < 1 || height < 1 || width > image_w || height > image_h ||
      x > image_w - width || y > image_h - height || static_cast<uint32_t>(width) > target->width ||
      static_cast<uint32_t>(height) > target->height) {
    return refuse("%s file size error", path);
  }
  // The converters read 3-byte B,G,R pixels: grey and colour images only.
  if (channels != 1 && channels != 3) return refuse("%s file decode error", path);

  uint8_t* raw = nullptr;
  size_t pixel_bytes = 0;
  const int decoded = jpeg_decode(data.get(), size, x, y, width, height, &raw, &pixel_bytes);
  Bytes pixels(raw);
  if (decoded != 0) return refuse("%s file decode error", path);

  convert_rgb24_rows(pixels.get(), target, width, height);
  return 0;
}
