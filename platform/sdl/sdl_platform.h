// The SDL2 backend: real windows, display, message boxes and clock.
#pragma once
#include <memory>

#include "plat/platform.h"

namespace plat::sdl {

// Starts SDL's video and events. When no video driver can start, the platform still comes up
// and window creation fails with SDL's reason (lastError()).
std::unique_ptr<Platform> makeSdlPlatform();

}  // namespace plat::sdl
