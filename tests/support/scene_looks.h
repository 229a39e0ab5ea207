// Character looks for the scene's tests: small media files whose command n has its own number
// of steps, written where the scene finds them ("NPC/NPC%03da.MDA").
#pragma once
#include <string>
#include <vector>

#include "tests/support/temp_game_dir.h"

namespace veldra_test {

// Commands "MainCommand0" to commands - 1; command n has steps[n] steps (1 where steps is
// shorter), each a 16 x 32 frame.
std::string sceneLookBytes(int commands, const std::vector<int>& steps = {});
// The look file of that number in the folder.
void writeSceneLook(const TempGameDir& dir, int look, int commands = 40, const std::vector<int>& steps = {});

}  // namespace veldra_test
