// Destroying a window, shared by both backends.
#include "common/window_close.h"

#include "plat/winmsg.h"

namespace plat::common {

void destroyWindow(Translator& t, WindowId w, bool& destroying, WindowProc proc, uint32_t nowMs, BatchEnd end,
                   const std::function<void()>& forget) {
  if (destroying) return;
  destroying = true;
  struct Remove {
    Translator& t;
    WindowId w;
    BatchEnd end;
    const std::function<void()>& forget;
    ~Remove() {
      forget();  // the record, and with it `destroying`, is gone from here on
      t.windowGone(w);
      if (end == BatchEnd::Now) t.endBatch();
    }
  } remove{t, w, end, forget};
  if (proc) proc(Msg{w, WM_DESTROY, 0, 0, nowMs});
}

}  // namespace plat::common
