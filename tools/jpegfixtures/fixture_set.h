// The JPEG fixture set: which files the fixture step makes with Debian's cjpeg, jpegtran and
// djpeg, their names, and reading them back in tests. The maker and the tests share these
// tables, so a fixture a test asks for is one the step makes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/jpegwriter/jpegref.h"

namespace jpegfix {

struct Size {
  int w = 0, h = 0;
};

// Every size of the source picture (PPM and PGM).
inline constexpr Size kSizes[] = {{1, 1}, {8, 8}, {16, 16}, {17, 17}, {20, 20}, {37, 29}, {800, 600}, {4096, 8}, {8, 4096}};

// One cjpeg encode of the source picture at every size.
struct Variant {
  const char* name;
  const char* cjpeg_args;
  bool grey = false;            // one component, made from the PGM
  bool refused = false;         // a coding the codec refuses: no reference decodes
  bool has_grey_ref = false;    // YCbCr: a djpeg -grayscale decode exists as well
  bool has_smooth_ref = false;  // a decode with djpeg's default (fancy) up-sampling exists
};

inline constexpr Variant kVariants[] = {
    {.name = "s1x1", .cjpeg_args = "-sample 1x1", .has_grey_ref = true},
    {.name = "s2x1", .cjpeg_args = "-sample 2x1", .has_grey_ref = true, .has_smooth_ref = true},
    {.name = "s2x2", .cjpeg_args = "-sample 2x2", .has_grey_ref = true, .has_smooth_ref = true},
    {.name = "s1x2", .cjpeg_args = "-sample 1x2", .has_grey_ref = true},
    {.name = "s4x1", .cjpeg_args = "-sample 4x1", .has_grey_ref = true},
    {.name = "gray", .cjpeg_args = "-grayscale", .grey = true},
    {.name = "gray2x2", .cjpeg_args = "-grayscale -sample 2x2", .grey = true},
    {.name = "rgb", .cjpeg_args = "-rgb"},                                  // no colour transform
    {.name = "q5", .cjpeg_args = "-quality 5", .has_grey_ref = true},       // 16-bit DQT, SOF1
    {.name = "arith", .cjpeg_args = "-arithmetic", .refused = true},        // SOF9
};
const Variant& variant(const std::string& name);

// Lossless jpegtran transcodes of the sequential sampling variants at a few sizes. The scan
// files are written by the maker from jpegref's scripts.
struct Transcode {
  const char* name;
  const char* jpegtran_args;
};
inline constexpr Transcode kTranscodes[] = {
    {"progressive", "-progressive"},
    {"spectral", "-scans spectral.txt"},
    {"successive", "-scans successive.txt"},
    {"percomp", "-scans percomp.txt"},
    {"restart1B", "-restart 1B"},
    {"restart2B", "-restart 2B"},
    {"restart7B", "-restart 7B"},
    {"restart8B", "-restart 8B"},
    {"restart9B", "-restart 9B"},
    {"restart_row", "-restart 1"},
    {"progressive_restart2B", "-progressive -restart 2B"},
    {"optimized", "-optimize"},
};
inline constexpr const char* kTranscodeBases[] = {"s1x1", "s2x1", "s1x2", "s2x2"};
inline constexpr Size kTranscodeSizes[] = {{17, 17}, {37, 29}, {800, 600}};

// djpeg -scale 1/N references exist for these N.
inline constexpr int kScales[] = {2, 4, 8};

// Which decode of a fixture a reference holds (all with the accurate integer transform).
enum class Ref {
  Plain,   // -nosmooth: PPM, or PGM for a grey fixture
  Grey,    // -nosmooth -grayscale: PGM
  Scaled,  // -nosmooth -scale 1/N
  Smooth,  // default up-sampling: PPM
};

// File names inside the fixture folder.
std::string stem(const Variant& v, Size s);  // "s2x2_37x29"
std::string source_file(Size s, bool grey);  // "src_37x29.ppm"
std::string jpeg_file(const Variant& v, Size s);
std::string transcode_file(const Variant& base, Size s, const Transcode& t);
std::string reference_file(const Variant& v, Size s, Ref r, int scale = 1);

// The fixture folder: VELDRA_JPEG_FIXTURES when set, else the build tree's folder.
std::string folder();

// Reading fixtures; each throws std::runtime_error naming the folder when the fixture step has
// not run, and the file when it is missing or malformed.
std::vector<uint8_t> read(const std::string& file);
std::vector<uint8_t> jpeg(const std::string& variant, Size s);
std::vector<uint8_t> transcoded(const std::string& base, Size s, const std::string& transcode);
jpegref::Image reference(const std::string& variant, Size s, Ref r, int scale = 1);

}  // namespace jpegfix
