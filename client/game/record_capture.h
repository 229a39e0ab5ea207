// The play recorder's capture hook, run by the modal loops after they draw a frame.
#pragma once

void record_capture_frame();
