// The installed glyph rasteriser: FreeType over the default face until a test installs another.
#include <memory>

#include "plat/glyphs.h"

namespace plat {
namespace {
std::unique_ptr<IGlyphRasteriser> g_glyphs;
}  // namespace

IGlyphRasteriser& glyphs() {
  if (!g_glyphs) g_glyphs = makeFreeTypeRasteriser();
  return *g_glyphs;
}

void setGlyphs(std::unique_ptr<IGlyphRasteriser> rasteriser) { g_glyphs = std::move(rasteriser); }

}  // namespace plat
