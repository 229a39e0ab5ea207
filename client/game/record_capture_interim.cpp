// Interim: the play recorder is not built yet, so nothing is captured.
#include "client/game/record_capture.h"

void record_capture_frame() {}
