// The files of the sample scene that the test server's scripts put the character into (map 1,
// music 1). The music is PCM WAVE data under the game's ".MP3" name: the music player reads it by
// its content.
#include "tools/mkgame/mkgame.h"

namespace mkgame {

std::vector<GameFile> gameSceneFiles() {
  std::vector<GameFile> out;
  // A walking tune in C: eight notes, a rest, eight more.
  std::vector<mdaw::Note> tune;
  for (int hz : {262, 330, 392, 330, 349, 440, 392, 0, 392, 349, 330, 294, 262, 294, 330, 262})
    tune.push_back({hz, 250});
  out.push_back({"music/MUS001.MP3", mdaw::wave_melody(tune)});
  return out;
}

}  // namespace mkgame
