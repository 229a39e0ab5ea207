// The files of the sample scene that the test server's scripts put the character into (map 1,
// music 1). The music is PCM WAVE data under the game's ".MP3" name: the music player reads it by
// its content.
#include "tools/mkgame/mkgame.h"

namespace mkgame {

std::vector<GameFile> gameSceneFiles() {
  std::vector<GameFile> out;
  out.push_back({"music/MUS001.MP3", mdaw::wave_tone(262, 3000)});
  return out;
}

}  // namespace mkgame
