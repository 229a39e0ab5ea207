// The frame step's and the modal boxes' use of the INPUT module, in one place.
#pragma once

// Steps 6 and 8 of the frame step: mouse position (unless replaying), event, key and scan codes,
// Alt and Ctrl into FRAME_INPUT.
void frame_input_sample();
// input_clear_key and input_clear_keys.
void frame_input_clear_key();
void frame_input_clear_keys();
