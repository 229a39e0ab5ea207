// The codec's working state (JPEG_PROPERTIES) and the records it is made of. Callers allocate it
// inside JPEG_IMAGE_PROPS, so every type here is plain data; the codec owns what the pointers
// hold and releases it in JpegCodecFree.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat {
struct IRegistry;
}

struct JPEG_PROPERTIES;
struct JpegFileOps;
struct JpegStream;
struct JpegOutput;
struct JpegHuffDecode;
struct JpegHuffEncode;

// Right and bottom exclusive; all zero = whole image (and the empty clip).
struct JpegRect {
  int32_t left, top, right, bottom;
};

// ---- kernel table -----------------------------------------------------------------------------

using JpegKernelLeaveFn = void (*)();
using JpegBlockFn = void (*)(int16_t* block);
using JpegOutputInitFn = int32_t (*)(JpegOutput* out, uint8_t* buffer, size_t size);
using JpegOutputBytesFn = int32_t (*)(const uint8_t* bytes, size_t count, JpegOutput* out);
using JpegMcuFn = int32_t (*)(JPEG_PROPERTIES* st, int32_t col, int32_t row);
using JpegEncodeInFn = void (*)(const uint8_t* pixels, ptrdiff_t step, int16_t* blocks);
using JpegOutKernelFn = void (*)(const int16_t* blocks, uint8_t* out, ptrdiff_t step);
using JpegEncodeBlockFn = int32_t (*)(JpegOutput* out, const JpegHuffEncode* dc, const JpegHuffEncode* ac,
                                      int32_t* last_dc, const int16_t* block);
using JpegDecodeBlockFn = int32_t (*)(JpegStream* in, const JpegHuffDecode* dc, const JpegHuffDecode* ac,
                                      int32_t* last_dc, int16_t* block);
using JpegQuantFn = void (*)(int16_t* block, const int16_t* table);
// The registry binding (words 3 to 5): open a key of HKEY_LOCAL_MACHINE, query a 32-bit value,
// close. 0 = success as in the system API.
using JpegRegOpenFn = int32_t (*)(plat::IRegistry* reg, const char* key, const char** handle);
using JpegRegQueryFn = int32_t (*)(plat::IRegistry* reg, const char* handle, const char* value, int32_t* out);
using JpegRegCloseFn = int32_t (*)(const char* handle);

// 69 pointer-sized entries; the comment is the entry number.
struct JPEG_DISPATCH_TABLE {
  intptr_t sos_length;                      // 0: last SOS segment length + 2
  void* user32_module;                      // 1: stays null (no user32 here)
  plat::IRegistry* advapi32_module;         // 2: the registry binding
  JpegRegOpenFn reg_open;                   // 3
  JpegRegQueryFn reg_query;                 // 4
  JpegRegCloseFn reg_close;                 // 5
  JpegKernelLeaveFn kernel_leave;           // 6
  JpegBlockFn fdct_fast;                    // 7
  JpegBlockFn fdct_accurate;                // 8
  JpegBlockFn idct_fast_8x8;                // 9
  JpegBlockFn idct_fast_4x4;                // 10
  JpegBlockFn idct_fast_2x2;                // 11
  JpegBlockFn idct_fast_1x1;                // 12
  JpegBlockFn idct_accurate_8x8;            // 13
  JpegBlockFn idct_accurate_4x4;            // 14
  JpegBlockFn idct_accurate_2x2;            // 15
  JpegBlockFn idct_accurate_1x1;            // 16
  JpegBlockFn fdct_current;                 // 17
  JpegBlockFn idct_current_8x8;             // 18
  JpegBlockFn idct_current_4x4;             // 19
  JpegBlockFn idct_current_2x2;             // 20
  JpegBlockFn idct_current_1x1;             // 21
  JpegOutputInitFn jpeg_output_init;        // 22
  JpegOutputBytesFn jpeg_output_bytes;      // 23
  JpegMcuFn encode_mcu_current;             // 24
  JpegEncodeInFn gray_to_block;             // 25
  JpegEncodeInFn rgb_to_ycc_block;          // 26
  JpegEncodeInFn rgb_to_ycc_h2v1;           // 27
  JpegEncodeInFn rgb_to_ycc_h2v2;           // 28
  JpegEncodeInFn bgr_to_ycc_block;          // 29
  JpegEncodeInFn bgr_to_ycc_h2v1;           // 30
  JpegEncodeInFn bgr_to_ycc_h2v2;           // 31
  JpegEncodeInFn ycc_split_block;           // 32
  JpegEncodeInFn ycc_downsample_h2v1;       // 33
  JpegEncodeInFn ycc_downsample_h2v2;       // 34
  JpegEncodeInFn ycc422_split;              // 35
  JpegEncodeInFn quad_to_ycc4_block;        // 36
  JpegEncodeInFn quad_to_ycc4_h2v1;         // 37
  JpegEncodeInFn quad_to_ycc4_h2v2;         // 38
  JpegEncodeInFn split4_block;              // 39
  JpegMcuFn decode_mcu_current;             // 40
  JpegOutKernelFn gray_block_to_gray;       // 41
  JpegOutKernelFn ycc_to_rgb_block;         // 42
  JpegOutKernelFn ycc_h2v1_to_rgb;          // 43
  JpegOutKernelFn ycc_h2v2_to_rgb;          // 44
  JpegOutKernelFn ycc_to_bgr_block;         // 45
  JpegOutKernelFn ycc_h2v1_to_bgr;          // 46
  JpegOutKernelFn ycc_h2v2_to_bgr;          // 47
  JpegOutKernelFn ycc_to_rgba_block;        // 48
  JpegOutKernelFn ycc_h2v1_to_rgba;         // 49
  JpegOutKernelFn ycc_h2v2_to_rgba;         // 50
  JpegOutKernelFn copy3_block;              // 51
  JpegOutKernelFn copy3_h2v1;               // 52
  JpegOutKernelFn copy3_h2v2;               // 53
  JpegOutKernelFn copy3_to4_block;          // 54
  JpegOutKernelFn ycc_h2v1_to_422;          // 55
  JpegOutKernelFn ycc4_to_quad_block;       // 56
  JpegOutKernelFn ycc4_to_quad_h2v1;        // 57
  JpegOutKernelFn ycc4_to_quad_h2v2;        // 58
  JpegOutKernelFn copy4_block;              // 59
  JpegEncodeBlockFn encode_block;           // 60
  JpegDecodeBlockFn decode_block;           // 61
  JpegDecodeBlockFn decode_block_dc_only;   // 62
  JpegQuantFn quantize_fast;                // 63
  JpegQuantFn quantize_accurate;            // 64
  JpegQuantFn quantize_current;             // 65
  JpegQuantFn dequantize_fast;              // 66
  JpegQuantFn dequantize_accurate;          // 67
  JpegQuantFn dequantize_current;           // 68
};
static_assert(sizeof(JPEG_DISPATCH_TABLE) == 69 * sizeof(void*), "the kernel table has 69 entries");

// ---- tables -----------------------------------------------------------------------------------

struct JpegQuantSlot {
  int32_t precision;  // Pq: 0 = 8-bit, 1 = 16-bit
  int32_t present;
  alignas(8) int16_t values[64];  // stream (zigzag) order
};

struct JpegHuffDecode {
  int32_t tclass;
  int32_t number;
  int32_t present;
  uint32_t lookahead[256];  // (length << 16) | value; 0 = code longer than 8 bits
  int32_t valptr[17];       // per length 1..16: index of its first value
  int32_t mincode[17];
  int32_t maxcode[18];      // -1: no code of that length; [17] = -1 ends the list
  uint8_t values[258];
  // Code and value bits together, kFastBits of lookahead: (value << 16) | (run << 8) | bits used;
  // run 0x80 = end of block; 0 = take the symbol path.
  uint32_t fast[1024];
};

struct JpegHuffEncode {
  uint32_t length[256];
  uint16_t code[256];
  int32_t present;
};

// Optional caller tables. Reads take 64 16-bit values; writes take 64 bytes.
struct JpegCallerQuant {
  uint16_t* read_values;
  const uint8_t* write_values;
  int32_t number;
};
struct JpegCallerHuff {
  uint8_t* counts;  // 16 code counts
  uint8_t* values;
  uint8_t tclass;
  uint8_t number;
};

// ---- frame, scan, stream ------------------------------------------------------------------------

struct JpegFrameComponent {
  int32_t id;
  int32_t h, v;  // sampling factors as used (1x1 for a single-component frame)
  int32_t tq;
  int32_t dc_sel, ac_sel;  // table selectors of the last scan that named the component
  int32_t block_offset;    // first block of the component inside a whole-frame MCU
  int32_t blocks_w, blocks_h;  // blocks coded in a scan of this component alone
  int32_t n;                   // output samples per block side at the current scale
  int32_t fast;                // prepared for the fast inverse transforms
  alignas(32) int16_t qtable[80];  // prepared dequantisation table, natural order
};

// One component's share of an MCU handed to the general writer: hb x vb blocks of n x n samples
// (rows of 8), whose first sample is sample (sx, sy) of the component at the current scale.
struct JpegMcuPart {
  int32_t comp;
  const int16_t* blocks;
  int32_t hb, vb, n;
  int32_t sx, sy;
};

struct JpegFrame {
  int32_t present;
  int32_t marker;       // 0xC0, 0xC1, 0xC2
  int32_t progressive;  // SOF2
  int32_t precision, height, width, ncomp;
  JpegFrameComponent* comps;  // ncomp entries (at least 4 allocated)
  int32_t comps_capacity;
  int32_t hmax, vmax;
  int32_t mcus_across, mcu_rows;
  int64_t mcu_total;
  int32_t blocks_per_mcu;
  int32_t sos_seen;  // an SOS of this read came after the frame
};

struct JpegScanComponent {
  int32_t comp;  // frame component index
  int32_t h, v;
  int32_t dc_tbl, ac_tbl, tq;
};

struct JpegScan {
  int32_t ns, ss, se, ah, al;
  int32_t restart_interval;
  // Progress: [0] resuming, [1] next column, [2] next row, [3..6] DC predictors, [7] eob run.
  int32_t progress[8];
  JpegScanComponent* comps;  // ns entries
  // Geometry of this scan: MCUs of one block for a single component, else whole-frame MCUs.
  int32_t single;
  int32_t mcus_across, mcu_rows;
  int64_t mcu_total;
  int32_t sequential;
  int32_t region;       // a region loop runs this scan
  JpegRect region_rect;  // the caller's region when the scan began
  int32_t scale;        // 1, 2, 4, 8
  int64_t start_offset;  // input position just after the SOS header
  int32_t builds_rows;  // progressive: this scan first met the counts and rebuilds rows
  JpegScanComponent comp_store[4];
};

struct JpegStream {
  uint64_t acc;  // bit reader: bits enter from below
  JPEG_DISPATCH_TABLE* table;
  int32_t bits;
  const uint8_t* buf;  // memory input: the caller's bytes; file input: file_buffer
  size_t cur, end;     // read offset and end offset in buf
  size_t start;        // where a reset of memory input begins
  uint64_t consumed;   // bytes taken so far
  uint64_t total;      // memory input size
  int64_t file_origin;  // file offset of buf[0] (file input)
  int32_t pending_marker;
  int32_t eob_run;
  int32_t overrun;  // bytes of zeros fed past the end of memory input
  int32_t eof;      // file input ended inside entropy data
  int32_t starved;  // a block needed bits the file no longer had
  void* file;       // null = memory input
  const JpegFileOps* ops;
  uint8_t file_buffer[4096];
};

// Writer side of the bit coder, for the encoder; its kernels live beside the decoder's.
struct JpegOutput {
  uint64_t acc;
  int32_t free_bits;  // 8 = empty byte
  uint8_t* buf;
  size_t cur, size;
  uint64_t count;
  int32_t eob_run;
  void* file;
  const JpegFileOps* ops;
  uint8_t file_buffer[4096];
};

struct JpegProcessorRecord {
  int32_t brand;
  int32_t type;
  int32_t family;
  int32_t model;
  int32_t stepping;
  uint32_t features;
  char vendor[13];
};

// Optional planar delivery: mode 0 = quantised coefficient blocks, non-zero = 16-bit sample
// blocks; plane c holds the component's blocks of the MCU-padded grid, row by row.
struct JpegPlanar {
  int32_t mode;
  int16_t* planes[4];
};

// One record per MCU row passed by a region loop.
struct JpegRegionRecord {
  int64_t position;  // -1: row not passed yet
  int32_t dc[4];
  uint64_t acc;
  int32_t bits;
  int32_t pending_marker;
};

// The copy of caller fields 2 to 21.
struct JpegFieldCopy {
  uint8_t* dib_bytes;
  int32_t dib_width, dib_height, dib_pad_bytes, dib_channels, dib_color, dib_subsampling;
  const char* jpg_file;
  uint8_t* jpg_bytes;
  int32_t jpg_size_bytes, jpg_width, jpg_height, jpg_channels, jpg_color, jpg_subsampling;
  int32_t jpg_thumb_width, jpg_thumb_height;
  int32_t color_conversion, upsampling, quality;
};

struct JPEG_PROPERTIES {
  int32_t io_mode;
  JpegRect roi;
  int32_t dct_method;
  int32_t fast_path_code;
  int32_t interrupt_request;
  JpegFieldCopy f;
  ptrdiff_t dib_line_bytes;
  int32_t interleave;  // 1 = one component per scan
  int32_t mcus_across, mcu_rows;
  JPEG_DISPATCH_TABLE* table;
  int32_t processor_class;

  // tables
  JpegQuantSlot quant[4];
  int32_t quant_count;
  JpegHuffDecode dc_tables[4];
  JpegHuffDecode ac_tables[4];
  int32_t dc_count, ac_count, pair_count;
  JpegHuffEncode enc_dc[4];
  JpegHuffEncode enc_ac[4];
  int32_t caller_quant_on;
  JpegCallerQuant caller_quant[4];
  int32_t caller_huff_on;
  JpegCallerHuff caller_huff[8];
  int32_t sel_quant[4], sel_dc[4], sel_ac[4];

  // frame, scan, input
  JpegFrame frame;
  JpegScan* scan;
  JpegStream stream;
  const JpegFileOps* file_ops;  // null = the platform's files
  int32_t no_frame_seen;
  int32_t restart_interval;  // from the last DRI
  int32_t parse_started;

  // JFIF and Adobe
  int32_t jfif_seen;
  uint16_t jfif_version;
  uint8_t jfif_units;
  uint16_t jfif_xdensity, jfif_ydensity;
  int32_t adobe_seen;
  uint16_t adobe_version, adobe_flags0, adobe_flags1;
  uint8_t adobe_transform;
  char* jpeg_comment;
  uint16_t jpeg_comment_size;

  // progressive
  int32_t prog_scans;  // progressive scans seen
  int32_t dc_done, ac_done;  // completed DC and AC counts
  int32_t seq_done;          // components decoded by sequential scans
  int16_t* coef;             // coefficient buffer, MCU order
  size_t coef_blocks;
  int32_t prog_built;   // rows have been rebuilt once the counts were met
  int32_t prog_dirty;   // coefficients changed after the rebuild
  int32_t pixels_written;
  int32_t scan_count;   // scans of this image

  // output
  int32_t scale;  // 1, 2, 4, 8
  int32_t out_width, out_height;  // image size at the scale
  uint8_t* dib_origin;  // first byte of buffer row 0 of the region
  int32_t pixel_bytes;  // bytes per DIB pixel (2 for a YCbCr 4:2:2 buffer)
  int32_t conversion, upsample;
  int32_t effective_color;  // stream colour as the output routines see it
  int16_t* mcu_buf;         // sample blocks of one MCU, component by component
  size_t mcu_buf_blocks;
  int16_t* work;            // scratch blocks
  JpegMcuPart* parts;       // one per frame component
  int32_t nparts;
  int32_t mcu_w, mcu_h;     // output pixels of one whole-frame MCU at the scale
  JpegRect visible;         // output pixels that reach the DIB (image coordinates)
  int32_t origin_x, origin_y;  // image position of the DIB's first pixel
  int32_t region_mode;      // a true sub-region is being decoded
  JpegRect image_roi;       // the caller's region for this image (roi reports progress)
  int32_t rows_built;       // progressive: MCU rows rebuilt so far in this pass
  int32_t smooth;           // smooth up-sampling through the component planes
  int32_t routine_converts; // the chosen general routine converts colour
  int32_t finished;         // the final passes of this read have run
  int32_t scan_fast;        // transform family of the current pass
  JpegQuantFn dequant_idct_8x8;  // one-pass vector dequantise and 8x8 inverse DCT, or null
  int64_t stop_position;    // where a header read stopped (SOS or SOF marker)
  int32_t marker_position_valid;
  int64_t marker_position;  // input position of the last marker read

  // state-only features
  int32_t row_buffer_switch;  // 1: smooth up-sampling
  int16_t* row_buffers;       // whole component planes for smooth up-sampling
  size_t row_buffers_size;
  JpegPlanar* planar;
  JpegRegionRecord* region_index;
  int64_t region_index_start;

  // writer
  int32_t progressive_switch;  // 1: the progressive scan script
  int32_t enc_resume;          // a sequential write stopped on the interrupt request
  int32_t enc_tables_ready;    // quantisation tables prepared by an earlier write
  int64_t enc_restart_count;   // MCUs since the last restart marker
  int64_t enc_next_mcu;        // where a stopped write resumes
  int32_t enc_pred[4];         // DC predictors of the stopped write
  JpegOutput output;
  int16_t enc_recip[4][80];  // forward quantiser tables, natural order
};
