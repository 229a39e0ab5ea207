// Glyph rasteriser: one code page 936 character as 1-bit rows of a square cell, the form the
// text module caches and draws pixel by pixel. The real one sits on FreeType over the
// "WenQuanYi Zen Hei Mono" face; tests install a FakeRasteriser with known shapes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace plat {

// Up to 32 rows of up to 32 columns; bit 31 of row r is column 0.
struct GlyphRows {
  uint32_t row[32] = {};
};

struct IGlyphRasteriser {
  virtual ~IGlyphRasteriser() = default;
  // Loads the font once; later calls give the same answer. On failure *triedPath (when given)
  // names the file that could not be opened.
  virtual bool open(std::string* triedPath) = 0;
  // code: lead byte x 256 + trail byte, or a single byte x 256 when halfWidth is set. The rows
  // are cleared first, then filled with the ink inside a cell of cellPx rows and cellPx (or
  // cellPx / 2) columns, cut to 32 x 32. False when nothing was inked: a blank character, a
  // code without a character, no font loaded.
  virtual bool render(uint16_t code, int cellPx, bool halfWidth, GlyphRows& out) = 0;
};

// The rasteriser text goes through (FreeType over the default face unless one was installed).
IGlyphRasteriser& glyphs();
// Installs a rasteriser; nullptr goes back to a fresh FreeType one. Main thread only.
void setGlyphs(std::unique_ptr<IGlyphRasteriser> rasteriser);

constexpr const char* kDefaultFontPath = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
constexpr int kDefaultFontFace = 1;  // "WenQuanYi Zen Hei Mono" inside the collection
constexpr const char* kDefaultFontFamily = "WenQuanYi Zen Hei Mono";

struct FreeTypeOptions {
  // Empty: VELDRA_FONT when set (no fallback then), else kDefaultFontPath, else the file
  // fontconfig gives for kDefaultFontFamily.
  std::string fontPath;
  int faceIndex = kDefaultFontFace;
  // Rendered rows kept per (code, cell, half width); 0 renders every call through FreeType.
  size_t cacheEntries = 8192;
};
std::unique_ptr<IGlyphRasteriser> makeFreeTypeRasteriser(FreeTypeOptions options = {});

// Known shapes for exact-pixel tests. The glyph box is gw = cellPx (cellPx / 2 for half width)
// columns by cellPx rows.
class FakeRasteriser : public IGlyphRasteriser {
 public:
  enum class Shape {
    Blank,  // nothing set
    Dot,    // the one pixel at column 1, row 1
    Block,  // every pixel of the glyph box
    Box,    // the border of the glyph box
  };
  // Defaults: ' ' blank, '.' a dot, 'o' a hollow box, every other code a solid block.
  FakeRasteriser();
  void setShape(uint16_t code, Shape shape) { shapes_[code] = shape; }
  void setOpenFails(bool fails, std::string path = "missing-font.ttc") {
    openFails_ = fails;
    failPath_ = std::move(path);
  }
  uint64_t renders() const { return renders_; }
  void resetRenders() { renders_ = 0; }

  bool open(std::string* triedPath) override;
  bool render(uint16_t code, int cellPx, bool halfWidth, GlyphRows& out) override;

 private:
  std::map<uint16_t, Shape> shapes_;
  bool openFails_ = false;
  std::string failPath_;
  uint64_t renders_ = 0;
};

}  // namespace plat
