// Destroying a window: the one routine both backends run.
#pragma once
#include <cstdint>
#include <functional>

#include "common/translator.h"
#include "plat/platform.h"

namespace plat::common {

// When the translator weighs the focus the window took with it. The headless backend moves focus
// only when told, so it reports the change at once; on SDL the desktop hands focus on by events
// the next pump reads, and reporting before those would tell the game it lost focus in between.
enum class BatchEnd { Now, NextPump };

// Destroys window w once: marks it destroying (a second call while WM_DESTROY runs does nothing),
// gives its procedure WM_DESTROY, then, even when the procedure leaves by an exception (a test's
// exit), runs forget() to drop the backend's record and has the translator forget the window.
void destroyWindow(Translator& t, WindowId w, bool& destroying, WindowProc proc, uint32_t nowMs, BatchEnd end,
                   const std::function<void()>& forget);

}  // namespace plat::common
