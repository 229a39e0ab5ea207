// The two calls on the codec, bound once through the module registry.
#include <climits>
#include <cstdlib>

#include "core/reset/module_resets.h"
#include "graphics/bitmap/image_limits.h"
#include "graphics/jpg/jpg_load.h"
#include "jpeg/jcodec.h"
#include "plat/platform.h"

namespace {

using CodecFn = int32_t (*)(JPEG_IMAGE_PROPS*);
using ReadFn = int32_t (*)(JPEG_IMAGE_PROPS*, int32_t);

struct CodecBinding {
  bool bound = false;
  CodecFn init = nullptr;
  CodecFn free = nullptr;
  ReadFn read = nullptr;
};

CodecBinding codec;

// A missing module or ordinal is retried on the next call; a complete binding is kept.
bool bind_codec() {
  if (codec.bound) return true;
  plat::IModuleRegistry& modules = plat::get().modules();
  const plat::ModuleHandle h = modules.load("jcodec15.dll");
  if (h == 0) return false;
  void* init = modules.proc(h, 2);
  void* free = modules.proc(h, 3);
  void* read = modules.proc(h, 4);
  if (!init || !free || !read) return false;
  codec.init = reinterpret_cast<CodecFn>(init);
  codec.free = reinterpret_cast<CodecFn>(free);
  codec.read = reinterpret_cast<ReadFn>(read);
  codec.bound = true;
  return true;
}

// Init on a zeroed record and read the header from memory.
bool open_header(JPEG_IMAGE_PROPS& p, const uint8_t* data, size_t size) {
  if (size > static_cast<size_t>(INT32_MAX)) return false;
  if (codec.init(&p) != 0) return false;
  p.jpg_file = nullptr;
  p.jpg_bytes = const_cast<uint8_t*>(data);
  p.jpg_size_bytes = static_cast<int32_t>(size);
  return codec.read(&p, JPEG_READ_PARAMS_MEM) == 0;
}

}  // namespace

void jpg_codec_reset() { codec = CodecBinding{}; }

int jpeg_read_info(const uint8_t* data, size_t size, int32_t* width, int32_t* height, int32_t* channels) {
  if (!data) return 3;
  if (!bind_codec()) return 1;
  JPEG_IMAGE_PROPS p{};
  // The record is freed on the failure paths too: init may already hold memory.
  if (!open_header(p, data, size)) {
    codec.free(&p);
    return 1;
  }
  if (width) *width = p.jpg_width;
  if (height) *height = p.jpg_height;
  if (channels) *channels = p.jpg_channels;
  return codec.free(&p) != 0 ? 1 : 0;
}

int jpeg_decode(const uint8_t* data, size_t size, int32_t x, int32_t y, int32_t width, int32_t height,
                uint8_t** buffer, size_t* out_size) {
  if (!data) return 3;
  if (!bind_codec()) return 1;
  JPEG_IMAGE_PROPS p{};
  const auto fail = [&p](int result) {
    codec.free(&p);
    return result;
  };
  if (!open_header(p, data, size)) return fail(1);
  // The header alone decides the sizes: a huge one is refused before any buffer is sized from it.
  if (!image_size_ok(p.jpg_width, p.jpg_height)) return fail(1);

  const int32_t ch = p.jpg_channels;
  p.jpg_color = ch == 1 ? JPEG_COLOR_GRAY : ch == 3 ? JPEG_COLOR_YCBCR : ch == 4 ? JPEG_COLOR_YCC4 : JPEG_COLOR_OTHER;
  p.dib_channels = (ch == 1 || ch == 3) ? 3 : ch;
  p.dib_color = (ch == 1 || ch == 3) ? JPEG_COLOR_BGR : ch == 4 ? JPEG_COLOR_QUAD : JPEG_COLOR_OTHER;

  // An empty region would decode nothing and report success; it is refused like one outside.
  if (width < 1 || height < 1 || x < 0 || y < 0 || x > p.jpg_width - width || y > p.jpg_height - height) {
    return fail(2);
  }
  const size_t row = (static_cast<size_t>(width) * static_cast<size_t>(p.dib_channels) + 3) & ~size_t{3};
  const size_t bytes = row * static_cast<size_t>(height);
  if (out_size) *out_size = bytes;
  p.dib_pad_bytes = static_cast<int32_t>(row - static_cast<size_t>(width) * static_cast<size_t>(p.dib_channels));
  p.dib_width = width;
  p.dib_height = height;  // positive: image row 0 first, as the converters read it
  p.state.roi = JpegRect{x, y, x + width, y + height};

  if (!buffer) return fail(4);
  if (!*buffer) {
    *buffer = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (!*buffer) return fail(4);
  }
  p.dib_bytes = *buffer;

  const int32_t r = codec.read(&p, JPEG_READ_ENTROPY_MEM);
  // The record is released on a failed decode as well (its tables and buffers would leak).
  if (r != JPEG_SUCCESS && r != JPEG_ROI_SUCCESS) return fail(1);
  return codec.free(&p) != 0 ? 1 : 0;
}

static const ModuleReset k_reset("JPG codec", jpg_codec_reset);
