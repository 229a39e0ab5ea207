// Film playback into a 16-bit screen bitmap: one film at a time, process-wide. The caller owns the
// loop: it opens the film, asks for one frame per screen frame, presents the bitmap itself and
// closes the film. Frames are decoded by the platform's film decoder into DRAW's memory surface
// and copied from there.
#pragma once
#include <cstdint>
#include <memory>

#include "plat/types.h"
#include "plat/video.h"

struct BITMAP16;

constexpr uint32_t VIDEO_BIT_OPEN = 1;     // the file is open
constexpr uint32_t VIDEO_BIT_RUNNING = 2;  // the sample is made and the stream runs

using VideoOverlayFn = void (*)(BITMAP16* screen);

struct VIDEO_STATE {
  std::unique_ptr<plat::IVideoDecoder> decoder;  // null when closed
  plat::VideoInfo info;
  uint32_t bits = 0;
  plat::Rect rect;             // the frame centred on the screen
  int64_t duration_ms = 0;     // read at open
  int64_t sample_start = 0, sample_end = 0, sample_current = 0;  // after every frame
  bool ended = false;          // the decoder reported the end of the film
  VideoOverlayFn overlay = nullptr;  // the modal player's, after each frame
};

VIDEO_STATE& video_state();

// 0 when playing, -2 when the file cannot be opened, -1 when the sample cannot be made (the
// stream is released then). The rectangle is written to rect (when given) once the frame size is
// known.
int video_open(const char* name, plat::Rect* rect);
// 0 when a new frame was copied into the target's same rectangle (mode 0 copies the other way, as
// DRAW's surface copy does); -2 otherwise: not running, no new frame, the end of the film.
int video_update(BITMAP16* target, int mode);
// 1 once the decoder reported the end of the film (or failed while decoding); -2 from
// video_update alone does not tell the end from a frame that is not there.
int video_at_end();
// Stops and releases everything; 0.
int video_close();
// When running: moves the film to ms, clamped to 0 .. duration - 1.
void video_seek(int64_t ms);
void video_set_overlay(VideoOverlayFn overlay);
// A self-contained player: the film over the whole of screen_back, presented frame by frame,
// until its end or (when abortable) Esc or a right-button release. The four values are ignored.
// 0 after playing, -2 when the file cannot be opened, -1 when the sample cannot be made.
int video_play_modal(int32_t a, int32_t b, int32_t c, int32_t d, const char* name, int abortable);

// Tests only: the film closed and the overlay cleared.
void video_reset();
