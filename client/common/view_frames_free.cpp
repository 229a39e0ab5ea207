#include "client/common/view_frames_free.h"

#include "world/scene/view_frames.h"

void view_frames_free() {
  // Swapped with an empty list so the memory is returned, not only the size cleared.
  std::vector<VIEW_FRAME>().swap(view_frames);
}
