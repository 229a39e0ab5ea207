// The codec interface: init, read, write, free, the error texts and the version record.
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

#include "jpeg/internal.h"

using namespace jcodec;

namespace {

void set_caller_defaults(JPEG_IMAGE_PROPS* p) {
  p->use_state = 0;
  p->dib_bytes = nullptr;
  p->dib_width = 0;
  p->dib_height = 0;
  p->dib_pad_bytes = 0;
  p->dib_channels = 3;
  p->dib_color = JPEG_COLOR_BGR;
  p->dib_subsampling = 0;
  p->jpg_file = nullptr;
  p->jpg_bytes = nullptr;
  p->jpg_size_bytes = 0;
  p->jpg_width = 0;
  p->jpg_height = 0;
  p->jpg_channels = 3;
  p->jpg_color = JPEG_COLOR_YCBCR;
  p->jpg_subsampling = 1;
  p->jpg_thumb_width = 0;
  p->jpg_thumb_height = 0;
  p->color_conversion = 1;
  p->upsampling = 1;
  p->quality = 75;
}

void copy_fields(JPEG_IMAGE_PROPS* p) {
  JpegFieldCopy& f = p->state.f;
  f.dib_bytes = p->dib_bytes;
  f.dib_width = p->dib_width;
  f.dib_height = p->dib_height;
  f.dib_pad_bytes = p->dib_pad_bytes;
  f.dib_channels = p->dib_channels;
  f.dib_color = p->dib_color;
  f.dib_subsampling = p->dib_subsampling;
  f.jpg_file = p->jpg_file;
  f.jpg_bytes = p->jpg_bytes;
  f.jpg_size_bytes = p->jpg_size_bytes;
  f.jpg_width = p->jpg_width;
  f.jpg_height = p->jpg_height;
  f.jpg_channels = p->jpg_channels;
  f.jpg_color = p->jpg_color;
  f.jpg_subsampling = p->jpg_subsampling;
  f.jpg_thumb_width = p->jpg_thumb_width;
  f.jpg_thumb_height = p->jpg_thumb_height;
  f.color_conversion = p->color_conversion;
  f.upsampling = p->upsampling;
  f.quality = p->quality;
}

// Bytes of one buffer row: the YCbCr buffer holds two-byte pixels whatever dib_channels says.
void compute_line_bytes(JPEG_PROPERTIES* st, bool write) {
  const JpegFieldCopy& f = st->f;
  // a read into a YCbCr buffer always writes 4:2:2 pixels; a write reads them only when told so
  int64_t bpp = (write ? f.dib_subsampling == 2 : f.dib_color == JPEG_COLOR_YCBCR) ? 2 : f.dib_channels;
  int64_t line = int64_t(f.dib_width) * bpp + f.dib_pad_bytes;
  st->dib_line_bytes = static_cast<ptrdiff_t>(f.dib_height < 0 ? -line : line);
}

bool file_mode(int32_t mode) { return mode % 2 == 0; }

bool pixel_mode(int32_t mode) { return mode == 2 || mode == 3 || (mode >= 6 && mode <= 9) || (mode >= 12 && mode <= 21); }

bool read_pair_allowed(int32_t j, int32_t d, int32_t ch) {
  switch (j) {
    case JPEG_COLOR_GRAY:
      return (d == JPEG_COLOR_GRAY && ch == 1) || ((d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR) && ch == 3) ||
             (d == JPEG_COLOR_QUAD && ch == 4);
    case JPEG_COLOR_RGB:
      return ((d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR) && ch == 3) || (d == JPEG_COLOR_QUAD && ch == 4);
    case JPEG_COLOR_QUAD:
    case JPEG_COLOR_YCC4:
      return d == JPEG_COLOR_QUAD && ch == 4;
    case JPEG_COLOR_YCBCR:
      return (d == JPEG_COLOR_GRAY && ch == 1) || ((d == JPEG_COLOR_RGB || d == JPEG_COLOR_BGR) && ch == 3) ||
             (d == JPEG_COLOR_QUAD && ch == 4) || d == JPEG_COLOR_YCBCR;
    case JPEG_COLOR_OTHER:
      return d == JPEG_COLOR_OTHER;
    default:
      return false;
  }
}

bool write_pair_allowed(int32_t d, int32_t ch, int32_t j, int32_t jch) {
  switch (d) {
    case JPEG_COLOR_GRAY:
      return ch == 1 && (j == JPEG_COLOR_GRAY || j == JPEG_COLOR_YCBCR);
    case JPEG_COLOR_RGB:
      return (ch == 3 && (j == JPEG_COLOR_GRAY || j == JPEG_COLOR_RGB || j == JPEG_COLOR_YCBCR)) ||
             (ch == 4 && j == JPEG_COLOR_YCBCR);
    case JPEG_COLOR_BGR:
      return ch == 3 && (j == JPEG_COLOR_GRAY || j == JPEG_COLOR_RGB || j == JPEG_COLOR_YCBCR);
    case JPEG_COLOR_QUAD:
      return ch == 4 && (j == JPEG_COLOR_QUAD || j == JPEG_COLOR_YCC4);
    case JPEG_COLOR_YCBCR:
      return j == JPEG_COLOR_YCBCR;
    case JPEG_COLOR_OTHER:
      return j == JPEG_COLOR_OTHER && ch >= jch;
    default:
      return false;
  }
}

int32_t entry_checks(const JPEG_IMAGE_PROPS* p, int32_t mode) {
  if (mode < 0 || mode > 21) return JPEG_ERR_PROPS;
  const bool write = mode >= 8 && mode <= 13;
  const bool planar = p->state.planar != nullptr;
  if (pixel_mode(mode) && !planar) {
    if (!p->dib_bytes) return JPEG_ERR_PROPS;
    if (p->dib_width < 1 || p->dib_width > 65535) return JPEG_ERR_PROPS;
    if (p->dib_height < -65535 || p->dib_height > 65535) return JPEG_ERR_PROPS;
    if ((mode == 20 || mode == 21) && p->dib_color != JPEG_COLOR_RGB && p->dib_color != JPEG_COLOR_BGR)
      return JPEG_ERR_THUMB_COLOR;
    if (p->dib_pad_bytes < 0) return JPEG_ERR_PROPS;
    if (p->dib_channels < 1 || p->dib_channels > 255) return JPEG_ERR_PROPS;
    if (!(p->dib_subsampling == 0 || (p->dib_subsampling == 2 && p->dib_color == JPEG_COLOR_YCBCR)))
      return JPEG_ERR_SUBSAMPLING;
  }
  if (file_mode(mode) ? !p->jpg_file : (!p->jpg_bytes || p->jpg_size_bytes == 0)) return JPEG_ERR_PROPS;
  if (!file_mode(mode) && p->jpg_size_bytes < 0) return JPEG_ERR_PROPS;
  if (p->jpg_channels < 1 || p->jpg_channels > 256) return JPEG_ERR_PROPS;
  if (write) {
    const bool moves = mode == 8 || mode == 9 || mode == 12 || mode == 13;
    if (moves && !planar) {
      if (p->jpg_width < 1 || p->jpg_width > 65535 || p->jpg_height < 1 || p->jpg_height > 65535)
        return JPEG_ERR_PROPS;
      if (p->dib_color != JPEG_COLOR_GRAY && p->jpg_color != JPEG_COLOR_YCBCR && p->dib_channels < p->jpg_channels)
        return JPEG_ERR_PROPS;
      // the MCU walk reads jpg_width x jpg_height pixels of the caller's buffer
      const int32_t ah = p->dib_height < 0 ? -p->dib_height : p->dib_height;
      if (p->jpg_width > p->dib_width || p->jpg_height > ah) return JPEG_ERR_PROPS;
    }
    const int32_t s = p->jpg_subsampling;
    bool ok = false;
    switch (p->jpg_channels) {
      case 3: ok = s == 0 || s == 1 || s == 2; break;
      case 4: ok = s == 0 || s == 3 || s == 4; break;
      default: ok = s == 0; break;
    }
    if (!ok) return JPEG_ERR_SUBSAMPLING;
  }
  if (pixel_mode(mode) && !planar && mode != 20 && mode != 21) {
    bool ok = write ? write_pair_allowed(p->dib_color, p->dib_channels, p->jpg_color, p->jpg_channels)
                    : read_pair_allowed(p->jpg_color, p->dib_color, p->dib_channels);
    if (!ok) return JPEG_ERR_PROPS;
  }
  if (p->state.dct_method != 0 && p->state.dct_method != 1) return JPEG_ERR_PROPS;
  if (p->state.row_buffer_switch && planar) return JPEG_ERR_PROPS;
  return 0;
}

int32_t close_file(JPEG_PROPERTIES* st) {
  if (!st->stream.file) return 0;
  const JpegFileOps* ops = st->stream.ops ? st->stream.ops : file_ops_of(st);
  int32_t rc = ops->close(st->stream.file, ops->ctx);
  st->stream.file = nullptr;
  return rc ? JPEG_ERR_CLOSE : 0;
}

int32_t subsampling_code(const JpegFrame& f) {
  if (!f.present) return 255;
  bool all1 = true;
  for (int32_t i = 0; i < f.ncomp; ++i)
    if (f.comps[i].h != 1 || f.comps[i].v != 1) all1 = false;
  if (all1) return 0;
  auto rest1 = [&](int32_t from, int32_t to) {
    for (int32_t i = from; i <= to; ++i)
      if (f.comps[i].h != 1 || f.comps[i].v != 1) return false;
    return true;
  };
  const JpegFrameComponent* c = f.comps;
  if (f.ncomp == 3 && rest1(1, 2)) {
    if (c[0].h == 2 && c[0].v == 2) return 1;
    if (c[0].h == 2 && c[0].v == 1) return 2;
  }
  if (f.ncomp == 4 && rest1(1, 2) && c[3].h == c[0].h && c[3].v == c[0].v) {
    if (c[0].h == 2 && c[0].v == 2) return 3;
    if (c[0].h == 2 && c[0].v == 1) return 4;
  }
  return 255;
}

// Step 7 of a read that ended with 0: colour description, file position, caller fields.
int32_t finish_read(JPEG_IMAGE_PROPS* p, int32_t mode) {
  JPEG_PROPERTIES& st = p->state;
  const JpegFrame& fr = st.frame;
  if (fr.present) {
    const int32_t nf = fr.ncomp;
    if (st.adobe_seen && (mode == 0 || mode == 1)) {
      st.f.dib_channels = nf;
      if (nf == 1) st.f.jpg_color = JPEG_COLOR_GRAY;
      else if (nf == 3) st.f.jpg_color = st.adobe_transform ? JPEG_COLOR_YCBCR : JPEG_COLOR_RGB;
      else if (nf == 4) {
        st.f.jpg_color = st.adobe_transform ? JPEG_COLOR_YCC4 : JPEG_COLOR_QUAD;
        st.f.dib_color = JPEG_COLOR_QUAD;
      }
    } else if (!st.adobe_seen) {
      if (nf == 1) st.f.jpg_color = JPEG_COLOR_GRAY;
      else if (nf == 3 && st.jfif_seen) st.f.jpg_color = JPEG_COLOR_YCBCR;
    }
    if (st.f.dib_color == JPEG_COLOR_YCBCR && st.f.jpg_color == JPEG_COLOR_YCBCR) st.f.dib_subsampling = 2;
    compute_switches(&st);
  }
  int32_t rc = 0;
  if (st.stream.file && (mode == 0 || mode == 4 || mode == 6 || mode == 14 || mode == 16 || mode == 18 || mode == 20)) {
    // the next call continues where this one stopped (SOS or SOF marker, or after the data)
    int64_t pos = st.stop_position >= 0 ? st.stop_position : stream_position(&st.stream);
    const JpegFileOps* ops = st.stream.ops;
    if (ops->seek(st.stream.file, pos, SEEK_SET, ops->ctx) < 0) rc = JPEG_ERR_FILE;
  }
  if ((mode == 1 || mode == 21) && st.stop_position >= 0) st.stream.start = static_cast<size_t>(st.stop_position);
  if (fr.present) {
    p->jpg_width = fr.width;
    p->jpg_height = fr.height;
    p->jpg_channels = fr.ncomp;
  }
  p->jpg_thumb_width = st.f.jpg_thumb_width;
  p->jpg_thumb_height = st.f.jpg_thumb_height;
  p->color_conversion = st.f.color_conversion;
  p->upsampling = st.f.upsampling;
  p->jpg_subsampling = subsampling_code(fr);
  p->jpg_color = st.f.jpg_color;
  p->dib_color = st.f.dib_color;
  p->dib_channels = st.f.dib_channels;
  p->dib_subsampling = st.f.dib_subsampling;
  if (!rc && (mode == 2 || mode == 4 || mode == 6)) rc = close_file(&st);
  return rc;
}

int32_t do_read(JPEG_IMAGE_PROPS* p, int32_t mode) {
  JPEG_PROPERTIES& st = p->state;
  if (header_mode(mode)) {
    st.frame.present = 0;  // the no-frame-seen flag: a header read takes the stream's frame
    st.quant_count = st.dc_count = st.ac_count = st.pair_count = 0;
    free_scan(&st);
  } else {
    int32_t rc = install_caller_read_tables(&st);
    if (rc) return rc;
  }
  if (file_mode(mode) && !st.stream.file) {
    const JpegFileOps* ops = file_ops_of(&st);
    st.stream.ops = ops;
    st.stream.file = ops->open_read(p->jpg_file, ops->ctx);
    if (!st.stream.file) return JPEG_ERR_FILENAME;
    free_scan(&st);
  }
  if (!p->use_state) {
    copy_fields(p);
    compute_line_bytes(&st, false);
    st.stream.start = 0;
  }
  if (!file_mode(mode) && st.stream.file) {
    // a memory read after a file read: the file is no longer wanted
    close_file(&st);
    free_scan(&st);
  }
  if (mode == 20 && st.stream.file && !(st.scan && st.scan->progress[0])) {
    const JpegFileOps* ops = st.stream.ops;
    if (ops->seek(st.stream.file, 0, SEEK_SET, ops->ctx) < 0) return JPEG_ERR_FILE;
  }
  int32_t rc = parse(&st);
  if (rc == 0) rc = finish_read(p, mode);
  return rc;
}

int32_t close_output(JPEG_PROPERTIES* st) {
  JpegOutput& out = st->output;
  if (!out.file) return 0;
  int32_t rc = out.ops->close(out.file, out.ops->ctx);
  out.file = nullptr;
  return rc ? JPEG_ERR_CLOSE : 0;
}

int32_t do_write(JPEG_IMAGE_PROPS* p, int32_t mode) {
  JPEG_PROPERTIES& st = p->state;
  // a write stopped on the interrupt request goes on where it stopped
  if (st.enc_resume) return encode_image(&st, mode);
  close_output(&st);
  if (file_mode(mode)) {
    const JpegFileOps* ops = file_ops_of(&st);
    st.output.ops = ops;
    st.output.file = ops->open_write(p->jpg_file, ops->ctx);
    if (!st.output.file) return JPEG_ERR_FILENAME;
  }
  if (!p->use_state) {
    copy_fields(p);
    compute_line_bytes(&st, true);
  }
  if (st.f.dib_subsampling == 2 && st.f.dib_color == JPEG_COLOR_YCBCR && st.f.jpg_color == JPEG_COLOR_YCBCR)
    st.f.jpg_subsampling = 2;
  return encode_image(&st, mode);
}

const char* const kTexts[] = {
    "Success",                              // 0
    "Exception detected",                   // -1
    "Invalid Encoder",                      // -2
    "Unsupported subsampling",              // -3
    "Unsupported bytes per pixel",          // -4
    "Memory error",                         // -5
    "Bad Huffman table",                    // -6
    "Bad Quantization table",               // -7
    "Invalid JPEG_PROPERTIES",              // -8
    "Error close file",                     // -9
    "Invalid file name",                    // -10
    "Error EOF",                            // -11
    "Not supported",                        // -12
    "Not JPEG",                             // -13
    "Error COMP",                           // -14
    "Error SOF",                            // -15
    "Error DNL",                            // -16
    "No Huffman table",                     // -17
    "No Quantization table",                // -18
    "No frame",                             // -19
    "Multiply frame",                       // -20
    "Data error",                           // -21
    "No image",                             // -22
    "File error",                           // -23
    "Internal error",                       // -24
    "Bad RST marker",                       // -25
    "Thumbnail too small",                  // -26
    "Thumbnail has wrong color",            // -27
    "Output buffer too small",              // -28
    "Unsupported frame was found",          // -29
    "Error access to jpeg_comment buffer",  // -30
};

const JPEG_VERSION kVersion{1, 5, 1, "jcodec15l.lib", "1.5.1", "[1.5.1.44]", "May 30 2001", "veldra c++20"};

}  // namespace

int32_t JpegCodecInit(JPEG_IMAGE_PROPS* props) {
  if (!props) return JPEG_ERR_PROPS;
  JPEG_PROPERTIES& st = props->state;
  std::memset(static_cast<void*>(&st), 0, sizeof st);
  try {
    auto* table = static_cast<JPEG_DISPATCH_TABLE*>(alloc(sizeof(JPEG_DISPATCH_TABLE)));
    if (!table) return JPEG_ERR_MEMORY;
    std::memset(static_cast<void*>(table), 0, sizeof *table);
    st.table = table;
    JpegSelectKernels(table);
    set_caller_defaults(props);
    st.io_mode = -1;
    st.dct_method = 1;
    copy_fields(props);
    compute_line_bytes(&st, false);
    st.stream.table = table;
    st.frame.comps = alloc_array<JpegFrameComponent>(4);
    st.work = alloc_array<int16_t>(64 * 4);
    if (!st.frame.comps || !st.work) {
      release_ptr(st.frame.comps);
      release_ptr(st.work);
      JpegReleaseBindings(table);
      release(table);
      st.table = nullptr;
      return JPEG_ERR_MEMORY;
    }
    std::memset(static_cast<void*>(st.frame.comps), 0, 4 * sizeof(JpegFrameComponent));
    st.frame.comps_capacity = 4;
    for (int i = 0; i < 4; ++i) {
      st.frame.comps[i].h = st.frame.comps[i].v = 1;
      st.frame.comps[i].tq = i == 0 ? 0 : 1;
      st.sel_quant[i] = st.sel_dc[i] = st.sel_ac[i] = i == 0 ? 0 : 1;
    }
    st.jfif_version = 0x0101;
    st.jfif_units = 0;
    st.jfif_xdensity = st.jfif_ydensity = 1;
    st.adobe_version = 100;
    st.processor_class = JpegDetectProcessorClass(table);
    st.region_index_start = -1;
    return 0;
  } catch (const std::bad_alloc&) {
    return JPEG_ERR_MEMORY;
  } catch (const std::exception&) {
    return JPEG_ERR_EXCEPTION;
  }
}

int32_t JpegCodecRead(JPEG_IMAGE_PROPS* props, int32_t mode) {
  if (!props || !props->state.table) return JPEG_ERR_PROPS;
  JPEG_PROPERTIES& st = props->state;
  st.io_mode = mode;
  int32_t rc = props->use_state ? 0 : entry_checks(props, mode);
  if (!rc && mode >= 8 && mode <= 13) rc = JPEG_ERR_PROPS;  // a write mode is no read
  if (!rc) {
    try {
      rc = do_read(props, mode);
    } catch (const std::bad_alloc&) {
      rc = JPEG_ERR_MEMORY;
    } catch (const std::exception&) {
      rc = JPEG_ERR_EXCEPTION;
    }
  }
  st.table->kernel_leave();
  if (rc == JPEG_INTERRUPTED) {
    st.interrupt_request = 0;
  } else if (image_mode(mode) && mode >= 0) {
    st.roi = st.image_roi;
    if (rc != 0 && rc != JPEG_ROI_SUCCESS) free_scan(&st);
  }
  if (rc < 0) close_file(&st);
  return rc;
}

int32_t JpegCodecWrite(JPEG_IMAGE_PROPS* props, int32_t mode) {
  if (!props || !props->state.table) return JPEG_ERR_PROPS;
  props->state.io_mode = mode;
  int32_t rc = props->use_state ? 0 : entry_checks(props, mode);
  if (!rc && !(mode >= 8 && mode <= 13)) rc = JPEG_ERR_PROPS;
  JPEG_PROPERTIES& st = props->state;
  if (!rc) {
    try {
      rc = do_write(props, mode);
    } catch (const std::bad_alloc&) {
      rc = JPEG_ERR_MEMORY;
    } catch (const std::exception&) {
      rc = JPEG_ERR_EXCEPTION;
    }
    if (rc >= 0 && !file_mode(mode)) props->jpg_size_bytes = static_cast<int32_t>(st.output.count);
    if (rc == JPEG_INTERRUPTED) {
      st.interrupt_request = 0;
    } else if (rc == 0) {
      rc = close_output(&st);
    } else {
      st.enc_resume = 0;
      close_output(&st);
    }
  }
  st.table->kernel_leave();
  return rc;
}

int32_t JpegCodecFree(JPEG_IMAGE_PROPS* props) {
  if (!props) return JPEG_ERR_PROPS;
  JPEG_PROPERTIES& st = props->state;
  int32_t rc = close_file(&st);
  const int32_t out_rc = close_output(&st);
  if (!rc) rc = out_rc;
  // Everything is released even when the state looks unusable; only the code reports it.
  if (st.f.jpg_channels >= 256 || st.frame.ncomp >= 256) rc = rc ? rc : JPEG_ERR_PROPS;
  free_frame_buffers(&st);
  free_scan(&st);
  release_ptr(st.frame.comps);
  st.frame.comps_capacity = 0;
  st.frame.present = 0;
  st.frame.ncomp = 0;
  release_ptr(st.mcu_buf);
  release_ptr(st.parts);
  release_ptr(st.work);
  st.quant_count = st.dc_count = st.ac_count = st.pair_count = 0;
  if (st.table) {
    JpegReleaseBindings(st.table);
    release(st.table);
    st.table = nullptr;
  }
  return rc;
}

const char* JpegCodecErrorText(int32_t code) {
  if (code == 2) return "ROI Success";
  if (code == 1) return "Interrupt Success";
  if (code == -99) return "Reserved";
  if (code <= 0 && code >= -30) return kTexts[-code];
  return "Unknown error code";
}

const JPEG_VERSION* JpegCodecGetVersion() { return &kVersion; }
