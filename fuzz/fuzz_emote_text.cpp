// The emote-text renderer over arbitrary bytes: texts (broken code page 936 pairs, '#' codes,
// digits) with random rectangles, queued for the software path and flushed into a small bitmap,
// and queued for the window path and ticked onto a small canvas.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/emote/emote_manager.h"
#include "engine/emote/emote_text.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "fuzz/fuzz_support.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/mda/mda_services.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "plat/canvas24.h"
#include "plat/glyphs.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace {

void write_media(const std::string& name, const mdaw::MdaFile& f) {
  const std::vector<uint8_t> bytes = mdaw::mda_build(f);
  fuzz_support::writeGameFile(name, bytes.data(), bytes.size());
}

struct World {
  IEmoteText emote;
  BITMAP16* screen = nullptr;
  plat::Canvas24 window{61, 47};
  PIXEL_BLOCK24* background = nullptr;
};

World& world() {
  static World* w = [] {
    fuzz_support::installHeadlessGameDir("emote");
    std::filesystem::create_directories(fuzz_support::gameDir() / "system");
    mdaw::MdaFile emote;
    mdaw::Picture p = mdaw::picture_fill(12, 70, {90, 10, 10, 120});
    p.at(0, 0) = {0, 0, 0, 255};
    mdaw::FrameGeometry g;
    g.hot_x = 30;
    g.hot_y = -5;
    emote.frame("a", mdaw::img256_encode(p, g));
    emote.frame("b", mdaw::img256_encode(mdaw::picture_fill(9, 9, {200, 200, 0, 255}), {}));
    emote.command("MainCommand0").step("a").step("b");
    emote.command("MainCommand1").step("b");
    write_media("system/Phiz.MDA", emote);
    mdaw::MdaFile menu;
    menu.frame("m", mdaw::img256_encode(mdaw::picture_fill(4, 4, {1, 2, 3, 255}), {}));
    menu.command("MainCommand0").step("m");
    write_media("system/c1meu030.MDA", menu);
    plat::setGlyphs(std::make_unique<plat::FakeRasteriser>());
    system_module_init();
    font_set_face_kind(4);
    winfont_module_init();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    gfx16_init_colours();
    mda_set_message_box([](const char*) {});
    auto* made = new World;
    if (made->emote.emote_text_init("system\\Phiz.MDA") != 0) __builtin_trap();
    made->screen = bitmap16_create(53, 41);
    made->background = pixel_block_alloc(7, 5);
    // The media go back to the table before the table itself goes at exit.
    std::atexit([] {
      World& v = world();
      v.emote.emote_text_release();
      bitmap16_free(&v.screen);
      pixel_block_free(&v.background);
    });
    return made;
  }();
  return *w;
}

int32_t small(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  World& w = world();
  // Records: 5 bytes (flags, x, y, width, height), a length byte, then the text.
  size_t pos = 0;
  while (pos + 6 <= size) {
    const uint8_t flags = data[pos];
    const int32_t x = small(data[pos + 1]), y = small(data[pos + 2]);
    const int32_t wd = data[pos + 3], ht = data[pos + 4];
    const size_t n = std::min<size_t>(data[pos + 5] * 8u, size - pos - 6);
    std::string text(reinterpret_cast<const char*>(data + pos + 6), n);
    text = text.c_str();  // up to the first NUL, as the callers pass it
    pos += 6 + n;
    switch (flags & 7) {
      case 0: w.emote.emote_text_draw_line(x, y, wd, ht, text.c_str()); break;
      case 1: w.emote.emote_text_draw(x, y, wd, ht, text.c_str(), 0); break;
      case 2: {
        plat::Rect r{x, y, x + wd, y + ht};
        w.emote.emote_text_layout(text.c_str(), &r, flags & 8, (flags & 16) ? &w.window : nullptr, flags & 32);
        break;
      }
      case 3: w.emote.emote_text_flush(0, 0, 0.07f, (flags & 8) ? nullptr : w.screen, 0); break;
      case 4: w.emote.emote_text_tick(&w.window, (flags & 8) ? nullptr : w.background); break;
      case 5: w.emote.emote_text_draw_emote(x, y, wd, ht, flags >> 4, flags & 8, flags & 16, w.background); break;
      case 6: w.emote.emote_text_remove(x); break;
      default: emote_outline = flags & 8; break;
    }
  }
  w.emote.emote_text_flush(0, 0, 0.07f, w.screen, 0);
  w.emote.emote_text_tick(&w.window, w.background);
  w.emote.emote_text_clear();
  emote_outline = 0;
  return 0;
}
