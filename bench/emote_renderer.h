// What the benchmarks that draw emote-coded text share: the one renderer over a headless
// platform (its media written into a temporary game folder, the FreeType glyphs, the 565 screen
// bitmaps) and a mixed announcement text.
#pragma once
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/emote/emote_text.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/mda/mda_services.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "plat/cp936.h"
#include "plat/glyphs.h"
#include "plat/headless.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace bench_emote {

inline void write_file(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(p.parent_path());
  FILE* out = std::fopen(p.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
}

// Made once per program; the platform is installed on the first call.
inline IEmoteText& renderer() {
  static IEmoteText* e = [] {
    const auto dir = std::filesystem::temp_directory_path() / "veldra-bench-emote";
    plat::HeadlessOptions o;
    o.gameDir = dir.string();
    o.watchdog = false;
    plat::installHeadless(o);
    mda_set_message_box([](const char*) {});
    mdaw::MdaFile emote;
    mdaw::Picture p = mdaw::picture_fill(32, 32, {200, 40, 40, 255});
    for (int i = 0; i < 32; ++i) p.at(i, i) = {250, 250, 250, 120};  // a few blended pixels
    emote.frame("f0", mdaw::img256_encode(p, {}));
    emote.frame("f1", mdaw::img256_encode(mdaw::picture_fill(32, 32, {40, 200, 40, 255}), {}));
    for (int c = 0; c < 50; ++c) emote.command("MainCommand" + std::to_string(c)).step("f0").step("f1");
    write_file(dir / "system/Phiz.MDA", mdaw::mda_build(emote));
    mdaw::MdaFile menu;
    menu.frame("m", mdaw::img256_encode(mdaw::picture_fill(4, 4, {1, 2, 3, 255}), {}));
    menu.command("MainCommand0").step("m");
    write_file(dir / "system/c1meu030.MDA", mdaw::mda_build(menu));
    plat::setGlyphs(plat::makeFreeTypeRasteriser());
    system_module_init();
    winfont_reset();
    font_set_face_kind(4);
    winfont_module_init();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    gfx16_init_colours();
    screen_buffers_create();
    auto* made = new IEmoteText;
    made->emote_text_init("system\\Phiz.MDA");
    return made;
  }();
  return *e;
}

// An announcement of about bytes bytes: words, Chinese, colour codes and pictures.
inline std::string announcement(size_t bytes) {
  static const char* pieces[] = {"#YLiu#N ", "reached ", "level ", "#R12#N ", "#47 ", "\xD6\xD0\xCE\xC4", "the ",
                                 "#C00FFFFcastle ", "gates ", "\xCA\xC0\xBD\xE7 ", "#Sopen#N ", "tonight ",
                                 "extraordinarily ", "#U#3#U "};
  std::string s;
  for (size_t i = 0; s.size() < bytes; ++i) s += pieces[i % std::size(pieces)];
  s.resize(plat::cp936::fitLength(s, bytes));
  return s;
}

}  // namespace bench_emote
