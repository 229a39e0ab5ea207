#include "client/common/view_frames_free.h"

#include "world/scene/view_frames.h"

void view_frames_free() {
  for (VIEW_FRAME& frame : view_frames) view_frame_free_tables(frame);
  // Swapped with an empty list so the record array is returned too, not only its size cleared.
  std::vector<VIEW_FRAME>().swap(view_frames);
}
