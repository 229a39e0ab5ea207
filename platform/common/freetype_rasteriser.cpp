// The glyph rasteriser on FreeType: 1-bit rows of one character, the cell's em equal to its
// height and the baseline at floor(7h / 8), which keeps the Chinese ink of the default face
// inside the cell. Rendered rows are kept per (code, cell, half width) so that a frame with more
// distinct glyphs than the text module caches costs a lookup, not a render.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unordered_map>

#include "plat/cp936.h"
#include "plat/glyphs.h"

namespace plat {
namespace {

bool fileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file and face fontconfig offers for the default family, when it knows it.
bool askFontconfig(std::string& path, int& face) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return false;
  bool found = false;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(kDefaultFontFamily));
  if (pattern) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match) {
      FcChar8* file = nullptr;
      FcChar8* family = nullptr;
      int index = 0;
      // A substitute family would give other metrics: only the family itself counts.
      if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
          FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
          std::string(reinterpret_cast<const char*>(family)) == kDefaultFontFamily) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        path = reinterpret_cast<const char*>(file);
        face = index;
        found = true;
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return found;
}

class FreeTypeRasteriser : public IGlyphRasteriser {
 public:
  explicit FreeTypeRasteriser(FreeTypeOptions options) : options_(std::move(options)) {}
  ~FreeTypeRasteriser() override {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }

  bool open(std::string* triedPath) override {
    if (!opened_) {
      opened_ = true;
      loaded_ = load();
    }
    if (!loaded_ && triedPath) *triedPath = tried_;
    return loaded_;
  }

  bool render(uint16_t code, int cellPx, bool halfWidth, GlyphRows& out) override {
    out = GlyphRows{};
    if (cellPx <= 0) return false;
    if (!open(nullptr)) return false;
    const uint32_t key = (static_cast<uint32_t>(code) << 8) | (static_cast<uint32_t>(cellPx & 0x7F) << 1) |
                         (halfWidth ? 1u : 0u);
    if (options_.cacheEntries > 0) {
      auto it = cache_.find(key);
      if (it != cache_.end()) {
        out = it->second.rows;
        return it->second.inked;
      }
    }
    const bool inked = renderUncached(code, cellPx, halfWidth, out);
    if (options_.cacheEntries > 0) {
      // Bounded: a full table starts over rather than growing.
      if (cache_.size() >= options_.cacheEntries) cache_.clear();
      cache_.emplace(key, Entry{out, inked});
    }
    return inked;
  }

 private:
  struct Entry {
    GlyphRows rows;
    bool inked;
  };

  bool load() {
    std::string path = options_.fontPath;
    int faceIndex = options_.faceIndex;
    if (path.empty()) {
      const char* env = std::getenv("VELDRA_FONT");
      if (env && *env) {
        path = env;
      } else if (fileExists(kDefaultFontPath)) {
        path = kDefaultFontPath;
      } else {
        std::string found;
        int foundFace = 0;
        if (askFontconfig(found, foundFace)) {
          path = found;
          faceIndex = foundFace;
        } else {
          path = kDefaultFontPath;
        }
      }
    }
    tried_ = path;
    if (!fileExists(path)) return false;
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      return false;
    }
    if (FT_New_Face(library_, path.c_str(), faceIndex, &face_) != 0) {
      face_ = nullptr;
      // A file with fewer faces than asked for: its first face still draws text.
      if (faceIndex == 0 || FT_New_Face(library_, path.c_str(), 0, &face_) != 0) {
        face_ = nullptr;
        return false;
      }
    }
    return true;
  }

  bool renderUncached(uint16_t code, int cellPx, bool halfWidth, GlyphRows& out) {
    std::optional<char16_t> ch;
    if (halfWidth) {
      // A byte of 0x80 or more alone is half of a pair that lost its partner.
      const uint8_t b = static_cast<uint8_t>(code >> 8);
      if (b >= 0x80) return false;
      ch = cp936::decodeByte(b);
    } else {
      ch = cp936::decodeChar(static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code & 0xFF));
    }
    if (!ch || *ch < 0x20) return false;
    const FT_UInt index = FT_Get_Char_Index(face_, *ch);
    if (index == 0) return false;
    if (FT_Set_Pixel_Sizes(face_, static_cast<FT_UInt>(cellPx), static_cast<FT_UInt>(cellPx)) != 0) return false;
    if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_MONO && bm.pixel_mode != FT_PIXEL_MODE_GRAY) return false;

    int width = halfWidth ? cellPx / 2 : cellPx;
    int height = cellPx;
    if (width > 32) width = 32;
    if (height > 32) height = 32;
    const int baseline = (7 * cellPx) / 8;
    const int left = slot->bitmap_left;
    const int top = baseline - slot->bitmap_top;
    bool inked = false;
    for (unsigned r = 0; r < bm.rows; ++r) {
      const int y = top + static_cast<int>(r);
      if (y < 0 || y >= height) continue;
      const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
      for (unsigned c = 0; c < bm.width; ++c) {
        const int x = left + static_cast<int>(c);
        if (x < 0 || x >= width) continue;
        const bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? ((src[c >> 3] >> (7 - (c & 7))) & 1) != 0
                                                            : src[c] >= 128;
        if (on) {
          out.row[y] |= 0x80000000u >> x;
          inked = true;
        }
      }
    }
    return inked;
  }

  FreeTypeOptions options_;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  bool opened_ = false;
  bool loaded_ = false;
  std::string tried_;
  std::unordered_map<uint32_t, Entry> cache_;
};

}  // namespace

std::unique_ptr<IGlyphRasteriser> makeFreeTypeRasteriser(FreeTypeOptions options) {
  return std::make_unique<FreeTypeRasteriser>(std::move(options));
}

}  // namespace plat
