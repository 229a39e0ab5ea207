// The sample game folder as a whole: the writers' bytes, every file read back by the client's
// own readers, and a folder that mkgame did not make left alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "client/common/web_addresses.h"
#include "client/res/res_tables.h"
#include "client/settings/settings.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bmp/bmp.h"
#include "jpeg/jcodec.h"
#include "plat/cursor.h"
#include "plat/platform.h"
#include "plat/video.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/temp_game_dir.h"
#include "tools/mdawriter/mdapack.h"
#include "tools/mkgame/item_tables.h"
#include "tools/mkgame/mkgame.h"
#include "tools/mkgame/panels.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

const std::vector<mkgame::GameFile>& files() {
  static const std::vector<mkgame::GameFile> all = mkgame::gameFiles(mkgame::defaultStartupDir());
  return all;
}

const Bytes& bytesOf(const std::string& path) {
  for (const mkgame::GameFile& f : files())
    if (f.path == path) return f.bytes;
  static const Bytes none;
  ADD_FAILURE() << "no " << path;
  return none;
}

uint32_t u32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t u16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
std::string str(const Bytes& b, size_t at, size_t n = std::string::npos) {
  return std::string(reinterpret_cast<const char*>(&b[at]), strnlen(reinterpret_cast<const char*>(&b[at]), n));
}
size_t chunk(const Bytes& b, const char* tag) {
  const auto it = std::search(b.begin(), b.end(), tag, tag + 4);
  return it == b.end() ? 0 : static_cast<size_t>(it - b.begin());
}

// The folder made before the platform starts, so that it reads our registry.ini.
class SampleGame : public veldra_test::HeadlessTest {
 protected:
  void configure(plat::HeadlessOptions&) override { mkgame::writeGame(dir.path(), files()); }
};

TEST_F(SampleGame, Writers) {
  // The item table: header, count, the first record's fields at their offsets.
  const Bytes& items = bytesOf("config/item_bin.cfg");
  ASSERT_EQ(items.size(), 256u + 4 + 88 * 272u);
  EXPECT_EQ(Bytes(items.begin(), items.begin() + 256), Bytes(256, 0));
  EXPECT_EQ(u32(items, 256), 88u);
  const size_t r = 260;
  EXPECT_EQ(u32(items, r + 0), 1001u);              // id
  EXPECT_EQ(u16(items, r + 8), 0u);                 // icon
  EXPECT_EQ(str(items, r + 20, 31), "Helm 1");      // name
  EXPECT_EQ(u16(items, r + 184), 5u);               // level
  EXPECT_EQ(u16(items, r + 192), 1u);               // gear kind
  EXPECT_EQ(u32(items, r + 196), 0x05005003u);      // level 5 and intelligence 3
  EXPECT_EQ(items[r + 188], 0x20);                  // mailable
  EXPECT_EQ(items[r + 272 + 188], 0x00);            // the second is not
  EXPECT_EQ(u32(items, r + 84 * 272), 10000u);      // the record-position items last

  const Bytes& scenes = bytesOf("config/scene.bin");
  ASSERT_EQ(scenes.size(), 256u + 4 + 4 * 36u);
  EXPECT_EQ(u32(scenes, 256), 4u);
  EXPECT_EQ(u32(scenes, 260), 1u);
  EXPECT_EQ(str(scenes, 264, 32), "Demo Town");
  EXPECT_THROW(mkgame::sceneTable({{9, std::string(32, 'x')}}), std::invalid_argument);

  // Sounds: PCM WAVE, 16-bit mono at 22,050 Hz, under every name the client plays.
  for (const char* path : {"efc/button01.wav", "efc/thunder.wav", "music/MUS001.MP3", "music/menu01.MP3"}) {
    const Bytes& w = bytesOf(path);
    ASSERT_GE(w.size(), 44u) << path;
    EXPECT_EQ(str(w, 0, 4) + str(w, 8, 8), "RIFFWAVEfmt ") << path;
    EXPECT_EQ(u16(w, 20), 1u) << path;      // PCM
    EXPECT_EQ(u16(w, 22), 1u) << path;      // mono
    EXPECT_EQ(u32(w, 24), 22050u) << path;
    EXPECT_EQ(u16(w, 34), 16u) << path;
  }

  // A melody: its notes back to back, the rest silent.
  const Bytes& menu = bytesOf("music/menu01.MP3");
  EXPECT_EQ(u32(menu, 40), 2u * (6615 * 4 + 13230 + 4410 + 19845));
  const size_t rest = 44 + 2 * (6615 * 3 + 13230);
  EXPECT_EQ(Bytes(menu.begin() + rest, menu.begin() + rest + 2 * 4410), Bytes(2 * 4410, 0));
  EXPECT_NE(u16(menu, rest + 2 * 4410 + 2), 0u);

  // The title film: 30 frames at 10 a second, 320 x 240, uncompressed 24-bit video.
  const Bytes& avi = bytesOf("system/title.avi");
  const size_t avih = chunk(avi, "avih") + 8;
  EXPECT_EQ(u32(avi, avih + 0), 100000u);  // microseconds a frame
  EXPECT_EQ(u32(avi, avih + 16), 30u);
  EXPECT_EQ(u32(avi, avih + 32), 320u);
  EXPECT_EQ(u32(avi, avih + 36), 240u);
  EXPECT_EQ(str(avi, chunk(avi, "strh") + 8, 4), "vids");
  const size_t strf = chunk(avi, "strf") + 8;
  EXPECT_EQ(u32(avi, strf + 4), 320u);
  EXPECT_EQ(u16(avi, strf + 14), 24u);
  EXPECT_EQ(u32(avi, strf + 16), 0u);  // BI_RGB

  // A background through the codec: 800 x 600 and close to its source.
  const Bytes& jpg = bytesOf("system/c1meu011.JPG");
  Bytes bgr(800 * 600 * 3);
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.jpg_bytes = const_cast<uint8_t*>(jpg.data());
  p.jpg_size_bytes = static_cast<int32_t>(jpg.size());
  ASSERT_EQ(JpegCodecRead(&p, JPEG_READ_PARAMS_MEM), 0);
  EXPECT_EQ(p.jpg_width, 800);
  EXPECT_EQ(p.jpg_height, 600);
  p.dib_bytes = bgr.data();
  p.dib_width = 800;
  p.dib_height = 600;
  p.dib_channels = 3;
  p.dib_color = JPEG_COLOR_BGR;
  EXPECT_EQ(JpegCodecRead(&p, JPEG_READ_IMAGE_MEM), 0);
  JpegCodecFree(&p);
  const mdaw::Picture source = mkgame::background(0x281820, 0x100810, "");
  double total = 0;
  for (size_t i = 0; i < source.pixels.size(); ++i)
    total += std::abs(bgr[i * 3] - source.pixels[i].b) + std::abs(bgr[i * 3 + 1] - source.pixels[i].g) +
             std::abs(bgr[i * 3 + 2] - source.pixels[i].r);
  EXPECT_LT(total / (source.pixels.size() * 3), 3.0);

  // Deterministic: a second run gives the same bytes.
  const std::vector<mkgame::GameFile> again = mkgame::gameFiles(mkgame::defaultStartupDir());
  ASSERT_EQ(again.size(), files().size());
  for (size_t i = 0; i < again.size(); ++i) {
    EXPECT_EQ(again[i].path, files()[i].path);
    EXPECT_TRUE(again[i].bytes == files()[i].bytes) << again[i].path;
  }
}

TEST_F(SampleGame, Folder) {
  plat::IFileSystem& fs = plat::get().files();
  auto read = [&](const char* path) {
    Bytes b;
    auto f = fs.open(path, "rb");
    if (!f) return b;
    b.resize(static_cast<size_t>(f->size()));
    b.resize(f->read(b.data(), b.size()));
    return b;
  };

  // Settings: windowed, line 1 of group 100100.
  const SETTINGS_RECORD s = settings_decode(read("veldra.cfg"));
  EXPECT_EQ(s.full_screen, 0);
  EXPECT_EQ(s.last_server_id, 100101);
  // The registry stand-in: the web addresses and the locale.
  EXPECT_EQ(web_address(WEB_FORUM), "https://example.invalid/forum");
  EXPECT_EQ(plat::get().registry().readString(plat::Hive::CurrentUser, "Control Panel\\International", "locale"),
            std::optional<std::string>("00000804"));

  // The res tables through the client's loaders.
  EXPECT_EQ(res_load_all(), 0);
  EXPECT_GE(res_chat_word_count(), RES_CHAT_MIN_WORDS);
  EXPECT_GT(res_npc_count(), 0);

  // Cursors: the 13 shapes and the chat window's.
  for (int n = 0; n <= 13; ++n) {
    const std::string path = n < 13 ? "SYSTEM\\MOUSE" + std::to_string(n) + ".ani" : "system/chat/chat_curor.ani";
    std::string why;
    const auto cursor = plat::parseCursorFile(read(path.c_str()), &why);
    ASSERT_TRUE(cursor) << path << ": " << why;
    EXPECT_FALSE(cursor->frames.empty()) << path;
  }

  // The chat window's backgrounds: 24-bit pictures through the game's BMP reader.
  mkgame::writeChatBackgrounds();
  for (int n = 0; n < 5; ++n) {
    const std::string path = "system/chat/chat_back" + std::to_string(n) + ".bmp";
    const Bytes bmp = read(path.c_str());
    ASSERT_GE(bmp.size(), 54u) << path;
    EXPECT_EQ(u16(bmp, 28), 24u) << path;
    BITMAP16* b = bmp_load(path.c_str());
    ASSERT_NE(b, nullptr) << path;
    EXPECT_EQ(b->width, 64u);
    bitmap16_free(&b);
  }

  // Media files beyond the front end's: the clouds' commands 0 to 3.
  const std::string clouds = mdaw::mdapack_list("system/Cloud.ani");
  for (int n = 0; n < 4; ++n)
    EXPECT_NE(clouds.find("\"MainCommand" + std::to_string(n) + "\" steps=2"), std::string::npos) << n;

  // The item and scene tables with the record field tables: whole records, named, terminated.
  const Bytes items = read("config/item_bin.cfg");
  ASSERT_GE(items.size(), 260u);
  const uint32_t count = u32(items, 256);
  ASSERT_EQ(items.size(), 260 + count * mkgame::kItemRecordSize);
  int mailable = 0, positions = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t at = 260 + i * mkgame::kItemRecordSize;
    const uint32_t id = u32(items, at + plat::fieldOffset(mkgame::ITEM_RECORD_FIELDS, "id"));
    const size_t name = at + plat::fieldOffset(mkgame::ITEM_RECORD_FIELDS, "name");
    EXPECT_NE(id, 0u);
    EXPECT_FALSE(str(items, name, 31).empty()) << id;
    EXPECT_LT(str(items, name, 31).size(), 31u) << id;
    mailable += (items[at + 188] & 0x20) != 0;
    positions += id == 10000 || id == 82020 || id == 49146 || id == 49152;
  }
  EXPECT_GT(mailable, 0);
  EXPECT_EQ(positions, 4);
  const Bytes scenes = read("config/scene.bin");
  ASSERT_EQ(scenes.size(), 260 + u32(scenes, 256) * mkgame::kSceneRecordSize);

  // Every sound opens under the spelling the client asks for.
  for (const char* path : {"EFC\\button01.wav", "EFC\\button02.wav", "EFC\\button03.wav", "EFC\\money.wav",
                           "EFC\\Back044.wav", "EFC\\call.wav", "EFC\\thunder.wav", "MUSIC\\MUS001.MP3",
                           "music\\menu01.MP3", "music\\menu02.MP3"})
    EXPECT_EQ(str(read(path), 8, 4), "WAVE") << path;

  // The title film through the platform's decoder.
  if (plat::videoDecodingBuilt()) {
    auto video = plat::makeVideoDecoder();
    ASSERT_TRUE(video);
    plat::VideoInfo info;
    ASSERT_EQ(video->open("system\\title.avi", info), plat::VideoOpen::Ok);
    EXPECT_TRUE(info.hasVideo);
    EXPECT_EQ(info.durationMs, 3000u);
    video->close();
  }
}

TEST_F(SampleGame, Refuses) {
  // A folder that mkgame did not make: refused, nothing written.
  veldra_test::TempGameDir other;
  other.write("game.exe", "mine");
  EXPECT_THROW(mkgame::writeGame(other.path(), files()), std::runtime_error);
  EXPECT_EQ(std::distance(fs::directory_iterator(other.path()), fs::directory_iterator()), 1);

  // An empty folder is made; a second run rewrites ours but keeps the player's settings.
  veldra_test::TempGameDir game;
  mkgame::writeGame(game.path(), files());
  EXPECT_TRUE(game.exists(mkgame::kMarker));
  game.write("veldra.cfg", "the player's");
  game.write("res/chat.res", "broken");
  game.write("error.txt", "log");
  mkgame::writeGame(game.path(), files());
  EXPECT_EQ(game.read("veldra.cfg"), "the player's");
  EXPECT_EQ(game.read("error.txt"), "log");
  const Bytes& chat = bytesOf("res/chat.res");
  EXPECT_EQ(game.read("res/chat.res"), std::string(chat.begin(), chat.end()));

  // Nothing lands outside the folder.
  veldra_test::TempGameDir wall;
  fs::create_directories(wall.path() + "/in");
  EXPECT_THROW(mkgame::writeFiles(wall.path() + "/in", {{"../out.txt", {1}}}), std::runtime_error);
  EXPECT_FALSE(wall.exists("out.txt"));
}

}  // namespace
