#include "client/common/view_frames_free.h"

#include "world/scene/view_frames.h"

void view_frames_free() {
  // swap with empties so the memory is returned, not only the sizes cleared
  for (VIEW_FRAME& f : view_frames) {
    for (std::vector<int32_t>& t : f.tables) std::vector<int32_t>().swap(t);
  }
  std::vector<VIEW_FRAME>().swap(view_frames);
}
