// The JPEG codec: one caller-owned record, four operations (init, read, write, free), an error
// text per code and a version query. Everything an image needs lives in the record; the codec
// keeps no per-image globals.
#pragma once
#include <cstddef>
#include <cstdint>

#include "jpeg/jcodec_state.h"

// Return codes.
enum : int32_t {
  JPEG_ROI_SUCCESS = 2,
  JPEG_INTERRUPTED = 1,
  JPEG_SUCCESS = 0,
  JPEG_ERR_EXCEPTION = -1,
  JPEG_ERR_ENCODER = -2,
  JPEG_ERR_SUBSAMPLING = -3,
  JPEG_ERR_BPP = -4,
  JPEG_ERR_MEMORY = -5,
  JPEG_ERR_HUFFMAN = -6,
  JPEG_ERR_QUANT = -7,
  JPEG_ERR_PROPS = -8,
  JPEG_ERR_CLOSE = -9,
  JPEG_ERR_FILENAME = -10,
  JPEG_ERR_EOF = -11,
  JPEG_ERR_NOT_SUPPORTED = -12,
  JPEG_ERR_NOT_JPEG = -13,
  JPEG_ERR_COMP = -14,
  JPEG_ERR_SOF = -15,
  JPEG_ERR_DNL = -16,
  JPEG_ERR_NO_HUFFMAN = -17,
  JPEG_ERR_NO_QUANT = -18,
  JPEG_ERR_NO_FRAME = -19,
  JPEG_ERR_MULTI_FRAME = -20,
  JPEG_ERR_DATA = -21,
  JPEG_ERR_NO_IMAGE = -22,
  JPEG_ERR_FILE = -23,
  JPEG_ERR_INTERNAL = -24,
  JPEG_ERR_RST = -25,
  JPEG_ERR_THUMB_SMALL = -26,
  JPEG_ERR_THUMB_COLOR = -27,
  JPEG_ERR_OUTPUT_SMALL = -28,
  JPEG_ERR_UNSUPPORTED_FRAME = -29,
  JPEG_ERR_COMMENT = -30,
  JPEG_ERR_RESERVED = -99,
};

// JPEG_COLOR codes (stream and pixel buffer alike).
enum : int32_t {
  JPEG_COLOR_RGB = 1,
  JPEG_COLOR_BGR = 2,
  JPEG_COLOR_YCBCR = 3,
  JPEG_COLOR_GRAY = 4,
  JPEG_COLOR_QUAD = 5,
  JPEG_COLOR_YCC4 = 6,
  JPEG_COLOR_OTHER = 255,
};

enum JPEG_READ_MODE : int32_t {
  JPEG_READ_PARAMS_FILE = 0,
  JPEG_READ_PARAMS_MEM = 1,
  JPEG_READ_IMAGE_FILE = 2,
  JPEG_READ_IMAGE_MEM = 3,
  JPEG_READ_TABLES_FILE = 4,
  JPEG_READ_TABLES_MEM = 5,
  JPEG_READ_ENTROPY_FILE = 6,
  JPEG_READ_ENTROPY_MEM = 7,
  JPEG_WRITE_IMAGE_FILE = 8,
  JPEG_WRITE_IMAGE_MEM = 9,
  JPEG_WRITE_TABLES_FILE = 10,
  JPEG_WRITE_TABLES_MEM = 11,
  JPEG_WRITE_ENTROPY_FILE = 12,
  JPEG_WRITE_ENTROPY_MEM = 13,
  JPEG_READ_HALF_FILE = 14,
  JPEG_READ_HALF_MEM = 15,
  JPEG_READ_QUARTER_FILE = 16,
  JPEG_READ_QUARTER_MEM = 17,
  JPEG_READ_EIGHTH_FILE = 18,
  JPEG_READ_EIGHTH_MEM = 19,
  JPEG_READ_THUMB_FILE = 20,
  JPEG_READ_THUMB_MEM = 21,
};

// The caller's record. Value-initialise it, call JpegCodecInit (which overwrites every caller
// field with its default), set the fields, read or write, and call JpegCodecFree.
struct JPEG_IMAGE_PROPS {
  int32_t use_state;
  uint8_t* dib_bytes;
  int32_t dib_width;
  int32_t dib_height;  // > 0: image row 0 in the first buffer row; < 0: in the last
  int32_t dib_pad_bytes;
  int32_t dib_channels;
  int32_t dib_color;
  int32_t dib_subsampling;
  const char* jpg_file;
  uint8_t* jpg_bytes;
  int32_t jpg_size_bytes;
  int32_t jpg_width;
  int32_t jpg_height;
  int32_t jpg_channels;
  int32_t jpg_color;
  int32_t jpg_subsampling;
  int32_t jpg_thumb_width;
  int32_t jpg_thumb_height;
  int32_t color_conversion;
  int32_t upsampling;
  int32_t quality;
  alignas(8) JPEG_PROPERTIES state;
};

struct JPEG_VERSION {
  int32_t major;
  int32_t minor;
  int32_t build;
  const char* library;
  const char* version;
  const char* internal_version;
  const char* build_date;
  const char* build_tool;
};

int32_t JpegCodecInit(JPEG_IMAGE_PROPS* props);
int32_t JpegCodecRead(JPEG_IMAGE_PROPS* props, int32_t mode);
int32_t JpegCodecWrite(JPEG_IMAGE_PROPS* props, int32_t mode);
int32_t JpegCodecFree(JPEG_IMAGE_PROPS* props);
const char* JpegCodecErrorText(int32_t code);
const JPEG_VERSION* JpegCodecGetVersion();

// Registers the codec as the built-in module "jcodec15.dll" (ordinals 2 init, 3 free, 4 read)
// in the installed platform's module registry.
void jpeg_register_module();

// ---- seams ----------------------------------------------------------------------------------

// Every allocation of the codec goes through one hook, so that tests can fail each in turn.
struct JpegAllocHooks {
  void* (*alloc)(size_t size, size_t align, void* ctx);  // null on failure
  void (*release)(void* p, void* ctx);
  void* ctx;
};
// Null restores the default (aligned operator new). Process-wide; tests only.
void jpeg_set_alloc_hooks(const JpegAllocHooks* hooks);

// The record's file operations; the default sits on the platform's file API (path resolver).
// Set after JpegCodecInit: state.file_ops = &ops.
struct JpegFileOps {
  void* (*open_read)(const char* name, void* ctx);   // null: cannot open
  void* (*open_write)(const char* name, void* ctx);  // create or truncate
  int64_t (*read)(void* f, void* dst, size_t n, void* ctx);  // bytes, 0 at the end, < 0 error
  int64_t (*write)(void* f, const void* src, size_t n, void* ctx);
  int64_t (*seek)(void* f, int64_t offset, int whence, void* ctx);  // new position, < 0 on failure
  int32_t (*close)(void* f, void* ctx);  // 0 ok
  void* ctx;
};
const JpegFileOps* jpeg_default_file_ops();
