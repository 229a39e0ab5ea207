// Test-only JPEG maker and reference decoder on Debian's libjpeg-turbo (used from outside as a
// black box): deterministic source pictures, encodes with chosen sampling, progression, scan
// scripts, restarts and tables, lossless transcodes, and reference decodes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace jpegref {

struct Image {
  int w = 0, h = 0, ch = 0;  // ch bytes per pixel: 1 grey, 3 R,G,B, 4 C,M,Y,K
  std::vector<uint8_t> px;   // rows top-down, no padding
};

// Noise, gradients and hard edges, the same for the same arguments.
Image make_source(int w, int h, int ch);

struct Scan {
  int ncomps = 1;
  int comps[4] = {0, 0, 0, 0};
  int ss = 0, se = 63, ah = 0, al = 0;
};

struct EncodeOpts {
  int quality = 75;
  bool force_baseline = true;  // false lets low qualities write 16-bit tables (SOF1)
  int h0 = 2, v0 = 2;          // factors of component 0 (and of component 3 in four-component files)
  bool grayscale = false;      // one component
  bool rgb = false;            // three components without the colour transform
  bool ycck = false;           // four components with the transform (from a C,M,Y,K source)
  bool arithmetic = false;
  bool progressive = false;
  bool optimize = false;
  int restart_blocks = 0;  // restart interval in MCUs
  int restart_rows = 0;    // restart interval in MCU rows
  bool write_jfif = true;
  std::vector<Scan> scans;  // custom scan script
};
std::vector<uint8_t> encode(const Image& src, const EncodeOpts& o);

struct TranscodeOpts {
  bool progressive = false;
  std::vector<Scan> scans;
  int restart_blocks = 0;
  int restart_rows = 0;
  bool optimize = false;
};
std::vector<uint8_t> transcode(const std::vector<uint8_t>& jpeg, const TranscodeOpts& o);

struct DecodeOpts {
  int scale_denom = 1;
  bool fancy = false;  // false: plain replication, as the codec does without smoothing
  enum Out { Native, Rgb, Gray, Cmyk } out = Native;
};
// Throws std::runtime_error on a refused stream.
Image decode(const std::vector<uint8_t>& jpeg, const DecodeOpts& o = {});

// The quantised coefficients of every component as libjpeg reads them (jpeg_read_coefficients):
// blocks_w x blocks_h blocks of 64 values in natural order, row by row.
struct Coefficients {
  struct Plane {
    int blocks_w = 0, blocks_h = 0;
    int h = 1, v = 1;  // sampling factors
    std::vector<int16_t> coef;
  };
  std::vector<Plane> planes;
};
Coefficients read_coefficients(const std::vector<uint8_t>& jpeg);
// A tables-only stream read first (jpeg_read_header on it gives the tables), then an
// abbreviated image decoded with those tables.
Image decode_with_tables(const std::vector<uint8_t>& tables, const std::vector<uint8_t>& image,
                         const DecodeOpts& o = {});

// P5/P6 for 1 or 3 channels, P7 otherwise.
std::string to_pnm(const Image& img);
// Reads a P5 or P6 picture with maxval 255 (as djpeg writes them); throws std::runtime_error.
Image from_pnm(const std::vector<uint8_t>& bytes);
// One-component-per-scan script for n components; spectral-selection and successive-
// approximation scripts in the style of jpegtran's -scans files.
std::vector<Scan> script_per_component(int ncomps);
std::vector<Scan> script_spectral(int ncomps);
std::vector<Scan> script_successive(int ncomps);
// A scan script as the text of a jpegtran -scans file.
std::string scan_file_text(const std::vector<Scan>& scans);

}  // namespace jpegref
