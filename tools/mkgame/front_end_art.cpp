// The art that the front-end screens open, placed where the screens' anchors expect it: the
// buttons' first frames give their hit boxes (frame position and size) and draw points (hot
// spot 0, so a frame is drawn where its box is).
#include <cstdio>
#include <stdexcept>
#include <string>

#include "jpeg/jcodec.h"
#include "tools/aviwrite/aviwrite.h"
#include "tools/mkgame/mkgame.h"
#include "tools/mkgame/panels.h"

namespace mkgame {

namespace {

using mdaw::FrameGeometry;
using mdaw::MdaFile;
using mdaw::Picture;
using mdaw::Rgba;

const char* const kRaces[4] = {"HUMAN", "CENTAUR", "MAGE", "BORG"};
const uint32_t kRaceColours[4] = {0x4070C0, 0x70A040, 0x9050B0, 0xA07040};

struct Frame {
  Picture picture;
  int x = 0, y = 0;
  int hotX = 0, hotY = 0;
};

// A media file being built: commands "MainCommand<n>", one frame per step.
struct Media {
  MdaFile file;
  void command(int n, const std::vector<Frame>& steps) {
    file.command("MainCommand" + std::to_string(n));
    for (size_t s = 0; s < steps.size(); ++s) {
      const std::string name = "mk" + std::to_string(n) + "s" + std::to_string(s);
      FrameGeometry g;
      g.box_x = static_cast<uint16_t>(steps[s].x);
      g.box_y = static_cast<uint16_t>(steps[s].y);
      g.hot_x = static_cast<int16_t>(steps[s].hotX);
      g.hot_y = static_cast<int16_t>(steps[s].hotY);
      file.frame(name, mdaw::img256_encode(steps[s].picture, g));
      file.step(name);
    }
  }
  void command(int n, const Frame& f) { command(n, std::vector<Frame>{f}); }
};

Frame at(Picture p, int x, int y) { return Frame{std::move(p), x, y, 0, 0}; }

Picture button(const std::string& text, uint32_t fill = 0x30405A, uint32_t border = 0xE8D090) {
  return panel(128, 28, rgb(fill), rgb(border), text);
}

// The main-button scheme shared by the screens: the caption bars and the markers of Button.mda.
MdaFile buttonMda() {
  Media m;
  m.command(0, at(panel(120, 22, rgb(0x506030), rgb(0xF0F0A0), "CREATE"), 15, 508));
  m.command(1, at(panel(120, 22, rgb(0x805020), rgb(0xFFE0A0), "CREATE"), 15, 508));
  m.command(2, at(panel(130, 22, rgb(0x404020), rgb(0xF0F0A0), ""), 609, 464));
  m.command(3, at(panel(130, 22, rgb(0x805020), rgb(0xFFE0A0), ""), 609, 464));
  m.command(4, at(panel(24, 24, rgb(0x303030), rgb(0xA0A0A0), ""), 752, 449));
  // The hover marker pulses over two steps.
  m.command(5, {at(panel(46, 46, rgb(0x202020, 0), rgb(0xF0D060), ""), 741, 438),
                at(panel(46, 46, rgb(0x202020, 0), rgb(0xFFF0A0), ""), 741, 438)});
  m.command(6, at(panel(24, 24, rgb(0x303030), rgb(0x60A0F0), ""), 0, 0));
  // The focus arrow beside the login fields blinks over two steps.
  m.command(7, {at(panel(32, 20, rgb(0xE0C040), rgb(0xFFF0A0), ""), 293, 196),
                at(panel(32, 20, rgb(0x806010), rgb(0xFFF0A0), ""), 293, 196)});
  m.command(8, at(panel(240, 60, rgb(0x203050), rgb(0xF0E6C8), "VELDRA", 4), 280, 80));
  // The character screens' opening: a panel that grows over eight steps.
  std::vector<Frame> opening;
  for (int s = 0; s < 8; ++s) {
    const int w = 60 + s * 40, h = 20 + s * 10;
    opening.push_back(at(panel(w, h, rgb(0x203050), rgb(0xF0E6C8), s >= 3 ? "WELCOME" : ""), 400 - w / 2, 300 - h / 2));
  }
  m.command(9, opening);
  return m.file;
}

// Account input: quit and login buttons, the two web links.
MdaFile accountMda() {
  Media m;
  m.command(0, at(button("QUIT"), 612, 436));
  m.command(1, at(button("LOGIN"), 612, 485));
  m.command(2, at(panel(150, 20, rgb(0x202838), rgb(0xA0B0D0), "LOST PASSWORD"), 334, 320));
  m.command(3, at(panel(150, 20, rgb(0x304060), rgb(0xF0F0FF), "LOST PASSWORD"), 334, 320));
  m.command(4, at(panel(150, 20, rgb(0x506080), rgb(0xFFFFFF), "LOST PASSWORD"), 334, 320));
  m.command(5, at(panel(150, 20, rgb(0x202838), rgb(0xA0B0D0), "REGISTER"), 334, 348));
  m.command(6, at(panel(150, 20, rgb(0x304060), rgb(0xF0F0FF), "REGISTER"), 334, 348));
  return m.file;
}

// The remember-account tick.
MdaFile mapButtonMda() {
  Media m;
  m.command(11, at(panel(23, 23, rgb(0x40A040), rgb(0xE0FFE0), "X"), 476, 211));
  return m.file;
}

// Server select: title, back and enter, the slot panels and the load marks.
MdaFile serverMda() {
  Media m;
  m.command(0, at(panel(300, 36, rgb(0x203050), rgb(0xF0E6C8), "SERVER LINES"), 250, 80));
  m.command(5, at(button("BACK"), 612, 436));
  m.command(6, at(button("ENTER"), 612, 485));
  m.command(14, at(panel(157, 28, rgb(0x282828), rgb(0x606060), ""), 0, 0));
  m.command(16, at(panel(157, 28, rgb(0x504018), rgb(0xF0D060), ""), 0, 0));
  const uint32_t marks[4] = {0x40C040, 0xE0D040, 0xE08030, 0xD03030};  // 17 to 20: light to full
  for (int i = 0; i < 4; ++i) m.command(17 + i, at(panel(20, 12, rgb(marks[i]), rgb(0x101010), ""), 0, 0));
  m.command(21, at(panel(20, 12, rgb(0x808080), rgb(0x101010), ""), 0, 0));
  m.command(22, at(panel(346, 6, rgb(0xC0A050), rgb(0xC0A050), ""), 220, 126));
  return m.file;
}

std::vector<uint8_t> text(const std::string& t) { return std::vector<uint8_t>(t.begin(), t.end()); }

// The announcements' art (the create screen draws two of its commands as its arrows): the
// title, the eight buttons beside their markers (the go-on button where every screen has its
// lower main button), and the scroll arrows' idle, hover and pressed looks (9 to 11 up, 12 to 14
// down) at the text box's edge.
MdaFile announcementsMda() {
  Media m;
  m.command(0, at(panel(280, 36, rgb(0x203050), rgb(0xF0E6C8), "ANNOUNCEMENTS"), 140, 70));
  const char* const labels[7] = {"PAGE 1", "PAGE 2", "PAGE 3", "PAGE 4", "OFFICIAL", "FORUM", "FAQ"};
  const int markerY[7] = {148, 189, 235, 278, 321, 363, 405};
  for (int i = 0; i < 7; ++i) m.command(1 + i, at(button(labels[i]), 612, markerY[i] - 2));
  m.command(8, at(button("GO ON"), 612, 485));
  const uint32_t looks[3] = {0x405070, 0x506890, 0x8090C0};
  for (int s = 0; s < 3; ++s) {
    m.command(9 + s, at(panel(21, 21, rgb(looks[s]), rgb(0xE0E0F0), "A", 2), 430, 120));
    m.command(12 + s, at(panel(21, 21, rgb(looks[s]), rgb(0xE0E0F0), "V", 2), 430, 419));
  }
  return m.file;
}

// The announcement pages: "#L" ends a line, "#E" breaks one, colours by "#Y" and "#N". The
// second page is longer than the text box.
std::vector<GameFile> announcementPages() {
  std::vector<std::string> pages = {
      "#YWelcome to the sample world#N#LThe servers are open.#LPress GO ON to choose a server line.",
      "#YRelease notes#N",
      "#YEvents#N#LNo event is running this week.#E Look in again soon.",
      "#YHelp#N#LThe FORUM and FAQ buttons open the web pages.",
  };
  for (int i = 1; i <= 40; ++i) pages[1] += "#LNote " + std::to_string(i) + ": the sample folder has no real news.";
  std::vector<GameFile> out;
  for (size_t i = 0; i < pages.size(); ++i) {
    out.push_back({"download/Affiche0" + std::to_string(i + 1) + ".txt", text(pages[i])});
  }
  return out;
}

// Character select: title, five slots with idle, hover and pressed looks, create, back, enter.
MdaFile selectMda() {
  Media m;
  m.command(0, at(panel(320, 36, rgb(0x203050), rgb(0xF0E6C8), "CHARACTERS"), 40, 24));
  for (int i = 0; i < 5; ++i) {
    const int y = 95 + 68 * i;
    m.command(3 * i + 1, at(panel(190, 64, rgb(0x283040), rgb(0x8090A0), ""), 600, y));
    m.command(3 * i + 2, at(panel(190, 64, rgb(0x304060), rgb(0xE0E0F0), ""), 600, y));
    m.command(3 * i + 3, at(panel(190, 64, rgb(0x405080), rgb(0xF0D060), ""), 600, y));
  }
  m.command(16, at(button("CREATE"), 40, 470));
  m.command(17, at(button("BACK"), 612, 436));
  m.command(18, at(button("ENTER"), 612, 485));
  return m.file;
}

// Character create: title, back and create, the look buttons, the race highlights and the turn.
MdaFile createMda() {
  Media m;
  m.command(0, at(panel(200, 30, rgb(0x203050), rgb(0xF0E6C8), "NEW CHARACTER"), 577, 65));
  m.command(1, at(button("BACK"), 612, 436));
  m.command(2, at(button("CREATE"), 612, 485));
  const int looks[2][2] = {{77, 307}, {121, 306}};
  for (int j = 0; j < 2; ++j) {
    m.command(3 + 2 * j, at(panel(32, 32, rgb(0x405080), rgb(0xE0E0F0), std::to_string(j + 1)), looks[j][0], looks[j][1]));
    m.command(4 + 2 * j, at(panel(32, 32, rgb(0x805020), rgb(0xFFE0A0), std::to_string(j + 1)), looks[j][0], looks[j][1]));
  }
  m.command(7, at(panel(92, 92, rgb(0x000000, 0), rgb(0xF0D060), ""), 18, 105));
  m.command(8, at(panel(92, 92, rgb(0x000000, 0), rgb(0xFFFFFF), ""), 18, 105));
  // Turn animations: their step counts pace the preview's turn.
  for (int n : {30, 31}) {
    std::vector<Frame> turn;
    for (int s = 0; s < 6; ++s) turn.push_back(at(panel(8, 8, rgb(0x808080), rgb(0x808080), ""), 0, 0));
    m.command(n, turn);
  }
  return m.file;
}

// Full figures (Leader) and heads: number look + 2 x (race + 4 when reborn), 0 to 15.
MdaFile figuresMda(bool heads) {
  Media m;
  for (int n = 0; n < 16; ++n) {
    const int race = n / 2 % 4, look = n % 2;
    const bool reborn = n >= 8;
    const uint32_t colour = kRaceColours[race] + (look ? 0x202020 : 0);
    const uint32_t border = reborn ? 0xF0D060 : 0xE0E0E0;
    if (heads) {
      m.command(n, at(panel(32, 32, rgb(colour), rgb(border), std::string(1, kRaces[race][0]) + std::to_string(look + 1), 2), 0, 0));
    } else {
      m.command(n, at(panel(160, 300, rgb(colour), rgb(border), kRaces[race], 3), 253, 143));
    }
  }
  return m.file;
}

// The create screen's previews and the scene's figure of a model: the posture commands 0 to 7
// (hot spot at the feet) and the turning preview 31.
MdaFile npcMda(int model) {
  Media m;
  const int race = model / 2;
  const uint32_t colour = kRaceColours[race] + (model % 2 ? 0x202020 : 0);
  for (int n = 0; n < 8; ++n) {
    Frame f = at(panel(40, 80, rgb(colour), rgb(0xE0E0E0), std::string(1, kRaces[race][0])), 0, 0);
    f.hotX = 20;
    f.hotY = 76;
    m.command(n, f);
  }
  std::vector<Frame> turn;
  for (int s = 0; s < 4; ++s)
    turn.push_back(at(panel(60 - 10 * (s % 2), 90, rgb(colour), rgb(0xF0D060), kRaces[race], 1), 0, 0));
  m.command(31, turn);
  return m.file;
}

std::vector<uint8_t> jpeg(const Picture& p) {
  std::vector<uint8_t> bytes(static_cast<size_t>(p.width) * p.height * 3);
  for (size_t i = 0; i < p.pixels.size(); ++i) {
    bytes[i * 3] = p.pixels[i].r;
    bytes[i * 3 + 1] = p.pixels[i].g;
    bytes[i * 3 + 2] = p.pixels[i].b;
  }
  // The codec's own encoder, into memory: quality 90, 4:2:0.
  std::vector<uint8_t> out(bytes.size() + 65536);
  JPEG_IMAGE_PROPS props{};
  if (JpegCodecInit(&props) != 0) throw std::runtime_error("JPEG codec init failed");
  props.dib_bytes = bytes.data();
  props.dib_width = props.jpg_width = p.width;
  props.dib_height = props.jpg_height = p.height;
  props.dib_channels = 3;
  props.dib_color = JPEG_COLOR_RGB;
  props.jpg_channels = 3;
  props.jpg_color = JPEG_COLOR_YCBCR;
  props.jpg_subsampling = 1;
  props.quality = 90;
  props.jpg_bytes = out.data();
  props.jpg_size_bytes = static_cast<int32_t>(out.size());
  const int32_t rc = JpegCodecWrite(&props, JPEG_WRITE_IMAGE_MEM);
  const int32_t size = props.jpg_size_bytes;
  JpegCodecFree(&props);
  if (rc != 0) throw std::runtime_error(std::string("JPEG write failed: ") + JpegCodecErrorText(rc));
  out.resize(static_cast<size_t>(size));
  return out;
}

// The account screen's background shows where the fields and the tick box are.
Picture accountBackground() {
  Picture p = background(0x182848, 0x081018, "VELDRA SAGA II");
  label(p, 334 - labelWidth("ACCOUNT", 2) - 12, 218, "ACCOUNT", rgb(0xE0E0E0), 2);
  label(p, 334 - labelWidth("PASSWORD", 2) - 12, 272, "PASSWORD", rgb(0xE0E0E0), 2);
  fill(p, 330, 211, 130, 23, rgb(0x000000));
  fill(p, 330, 265, 130, 23, rgb(0x000000));
  fill(p, 476, 211, 23, 23, rgb(0x404040));
  label(p, 504, 218, "REMEMBER", rgb(0xC0C0C0), 2);
  return p;
}

// ---- the title and the main menu ----

// Where the title draws the menu's seven decorations: a row of emblems along the bottom.
constexpr int kDecorationY = 530;
int decorationX(int i) { return 40 + 70 * i; }

// The menu's media: the seven decorations first (the title reads frames 0 to 6 by number), then
// the buttons beside the menu's markers (start, quit, official site, update program maker,
// publisher, registration, and the maker's link without markers) and two flourishes.
MdaFile menuMda() {
  Media m;
  const uint32_t colours[7] = {0xC04040, 0xC08040, 0xC0C040, 0x40C040, 0x40C0C0, 0x4060C0, 0x8040C0};
  for (int i = 0; i < 7; ++i) {
    FrameGeometry g;
    g.box_x = static_cast<uint16_t>(decorationX(i));
    g.box_y = kDecorationY;
    m.file.frame("deco" + std::to_string(i),
                 mdaw::img256_encode(panel(56, 40, rgb(colours[i]), rgb(0xF0E6C8), std::to_string(i + 1)), g));
  }
  m.command(0, at(button("START"), 612, 256));
  m.command(1, at(button("QUIT"), 612, 485));
  m.command(2, at(button("OFFICIAL"), 612, 434));
  m.command(3, at(button("UPDATER"), 612, 398));
  m.command(4, at(button("PUBLISHER"), 612, 356));
  m.command(5, at(button("REGISTER"), 612, 314));
  m.command(6, at(panel(160, 24, rgb(0x202838), rgb(0xA0B0D0), "UPDATE SITE"), 40, 470));
  m.command(7, {at(panel(16, 16, rgb(0xF0D060), rgb(0xFFFFFF), ""), 520, 150),
                at(panel(16, 16, rgb(0x806010), rgb(0xFFFFFF), ""), 520, 150)});
  m.command(8, at(panel(240, 8, rgb(0xC0A050), rgb(0xC0A050), ""), 280, 150));
  return m.file;
}

// The title film: 3 s of uncompressed frames, scaled to the screen by the player.
std::vector<uint8_t> titleFilm() {
  aviwrite::Options o;
  o.width = 320;
  o.height = 240;
  o.fps = 10;
  o.frames = 30;
  return aviwrite::write(o);
}

}  // namespace

std::vector<MediaFile> frontEndMedia() {
  std::vector<MediaFile> out = {
      {"system/Button.mda", buttonMda()},     {"system/c1meu008.MDA", accountMda()},
      {"system/MapButton.MDA", mapButtonMda()}, {"system/c1meu010.MDA", serverMda()},
      {"system/c1meu005c.MDA", announcementsMda()},  {"system/c1meu011.MDA", selectMda()},
      {"system/c1meu012.MDA", createMda()},   {"system/Leader.mda", figuresMda(false)},
      {"system/Head.MDA", figuresMda(true)},
  };
  for (int model = 0; model < 8; ++model) {
    char name[32];
    std::snprintf(name, sizeof name, "npc/NPC%03da.MDA", model);
    out.push_back({name, npcMda(model)});
  }
  for (MediaFile& m : titleMedia()) out.push_back(std::move(m));
  return out;
}

std::vector<GameFile> frontEndArt() {
  std::vector<GameFile> out;
  for (const MediaFile& m : frontEndMedia()) out.push_back({m.path, mdaw::mda_build(m.file)});
  out.push_back({"system/c1meu008.jpg", jpeg(accountBackground())});
  out.push_back({"system/c1meu005c.JPG", jpeg(background(0x202818, 0x0C1008, "VELDRA SAGA II"))});
  out.push_back({"system/c1meu011.JPG", jpeg(background(0x281820, 0x100810, ""))});
  out.push_back({"system/c1meu012.JPG", jpeg(background(0x182028, 0x080C10, ""))});
  for (int model = 0; model < 8; ++model) {
    const std::string race = kRaces[model / 2];
    out.push_back({"download/role" + std::to_string(model) + ".txt",
                   text(race + ", look " + std::to_string(model % 2 + 1) + ".\r\nA traveller of the sample world.\r\n"
                        "Steady in a fight, patient on the road.\r\n")});
    out.push_back({"download/merit" + std::to_string(model) + ".txt",
                   text("Merits of the " + race + ":\r\nStamina +1\r\nIntellect +1\r\nStrength +1\r\nSpeed +1\r\n")});
  }
  out.push_back({"music/menu02.MP3", mdaw::wave_melody({{220, 300}, {262, 300}, {330, 300}, {440, 600}, {0, 200},
                                                         {330, 300}, {262, 300}, {220, 600}})});
  for (GameFile& f : titleArt()) out.push_back(std::move(f));
  for (GameFile& f : announcementPages()) out.push_back(std::move(f));
  return out;
}

std::vector<MediaFile> titleMedia() { return {{"system/c1meu005b.MDA", menuMda()}}; }

std::vector<GameFile> titleArt() {
  return {
      {"system/c1meu005b.JPG", jpeg(background(0x102040, 0x040810, "VELDRA SAGA II"))},
      {"music/menu01.MP3", mdaw::wave_melody({{262, 300}, {330, 300}, {392, 300}, {523, 600}, {0, 200},
                                              {392, 300}, {523, 900}})},
      {"system/title.avi", titleFilm()},
  };
}

}  // namespace mkgame
