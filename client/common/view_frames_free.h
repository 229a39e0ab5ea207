// Releases the view frame records the scene and the control-file loader fill.
#pragma once

// Frees every record's seven tables and the record list, leaving it empty.
void view_frames_free();
