// The scene's looks: the player figures' posture commands beyond the create screen's, the
// sample NPC and pet, and the timed animation of message 0x130008. Each frame shows its
// direction; each command has its own number of steps.
#include <cstdio>

#include "tools/mkgame/mkgame.h"
#include "tools/mkgame/panels.h"

namespace mkgame {

namespace {

constexpr int kFigureW = 40, kFigureH = 80;

// One frame per direction, drawn with its number; the hot spot at the feet.
void directionFrames(mdaw::MdaFile& f, const std::string& prefix, int directions, uint32_t colour) {
  for (int d = 0; d < directions; ++d) {
    mdaw::FrameGeometry g;
    g.hot_x = kFigureW / 2;
    g.hot_y = kFigureH - 4;
    f.frame(prefix + std::to_string(d),
            mdaw::img256_encode(panel(kFigureW, kFigureH, rgb(colour), rgb(0xF0F0F0), "D" + std::to_string(d)), g));
  }
}

// Command n shows direction n mod directions for n % 5 + 1 steps.
void postureCommand(mdaw::MdaFile& f, const std::string& prefix, int n, int directions) {
  f.command("MainCommand" + std::to_string(n));
  for (int s = 0; s <= n % 5; ++s) f.step(prefix + std::to_string(n % directions));
}

// The player figures 0 to 7 keep the create screen's commands 0 to 7 and 31 and gain the rest
// of 0 to 39.
mdaw::MdaFile figureLook(int model) {
  mdaw::MdaFile f;
  const std::string prefix = "look" + std::to_string(model) + "d";
  directionFrames(f, prefix, 8, 0x405080 + 0x101000 * static_cast<uint32_t>(model % 4));
  for (int n = 8; n < 40; ++n)
    if (n != 31) postureCommand(f, prefix, n, 8);
  return f;
}

// An NPC or pet: commands 0 to 11, four directions.
mdaw::MdaFile creatureLook(uint32_t colour) {
  mdaw::MdaFile f;
  directionFrames(f, "cr", 4, colour);
  for (int n = 0; n < 12; ++n) postureCommand(f, "cr", n, 4);
  return f;
}

// A burst of three growing rings.
mdaw::MdaFile obj147Animation() {
  mdaw::MdaFile f;
  f.command("MainCommand0");
  for (int s = 0; s < 3; ++s) {
    const int side = 24 + 16 * s;
    mdaw::FrameGeometry g;
    g.hot_x = static_cast<int16_t>(side / 2);
    g.hot_y = static_cast<int16_t>(side / 2);
    const std::string name = "ring" + std::to_string(s);
    f.frame(name, mdaw::img256_encode(panel(side, side, rgb(0x000000, 0), rgb(0xF0C040), ""), g));
    f.step(name);
  }
  return f;
}

}  // namespace

std::vector<MediaFile> sceneLookMedia() {
  std::vector<MediaFile> out;
  for (int model = 0; model < 8; ++model) {
    char name[32];
    std::snprintf(name, sizeof name, "npc/NPC%03da.MDA", model);
    out.push_back({name, figureLook(model)});
  }
  out.push_back({"npc/NPC101a.MDA", creatureLook(0x807040)});
  out.push_back({"npc/NPC120a.MDA", creatureLook(0x508050)});
  out.push_back({"ani/Obj147a.mda", obj147Animation()});
  return out;
}

}  // namespace mkgame
