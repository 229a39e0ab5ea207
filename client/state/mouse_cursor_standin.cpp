// Stand-in until the cursor shapes are loaded: nothing to load or select; the load is recorded.
#include "client/state/mouse_cursor.h"

#include "client/common/seam_calls.h"

void mouse_cursors_load() { seam_call("mouse_cursors_load"); }
int32_t set_mouse_cursor(int32_t shape) {
  seam_call("set_mouse_cursor", shape);
  return 0;
}
