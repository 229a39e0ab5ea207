// The frame step's sampling of the INPUT module.
#pragma once

// Steps 6 and 8 of the frame step: mouse position (unless replaying), event, key and scan codes,
// Alt and Ctrl into FRAME_INPUT.
void frame_input_sample();
