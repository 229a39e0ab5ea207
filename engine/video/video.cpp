// Film playback over the platform decoder. Each step keeps the texts the SYSTEM log has always
// shown for it, so that logs read the same whatever decodes the film.
#include "engine/video/video.h"

#include <algorithm>

#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"

namespace {

VIDEO_STATE state;

constexpr int32_t DDERR_INVALIDRECT = static_cast<int32_t>(0x88760096u);
constexpr int32_t DDERR_INVALIDPIXELFORMAT = static_cast<int32_t>(0x88760091u);
constexpr int32_t DDERR_INVALIDSURFACETYPE = static_cast<int32_t>(0x88760250u);
constexpr int32_t E_POINTER = static_cast<int32_t>(0x80004003u);
constexpr int32_t MS_E_SAMPLEALLOC = plat::kVideoStartNoBuffers;

void release_all() {
  if (state.decoder) state.decoder->close();
  state.decoder.reset();
  state.info = plat::VideoInfo{};
}

// The failed sample's code by name.
void log_sample_failure(int32_t code) {
  switch (code) {
    case DDERR_INVALIDRECT: sys_log(1, "DDERR_INVALIDRECT"); break;
    case DDERR_INVALIDPIXELFORMAT: sys_log(1, "DDERR_INVALIDPIXELFORMAT"); break;
    case DDERR_INVALIDSURFACETYPE: sys_log(1, "DDERR_INVALIDSURFACETYPE"); break;
    case E_POINTER: sys_log(1, "E_POINTER"); break;
    case MS_E_SAMPLEALLOC: sys_log(1, "MS_E_SAMPLEALLOC"); break;
    default: sys_log_printf(1, "UNKNOWN 0x%0x(%d)", static_cast<uint32_t>(code), code);
  }
}

// 1 with the file open, 0 after a failure (logged, everything released).
int stream_open(const char* name) {
  state.bits = 0;
  state.ended = false;
  state.decoder = plat::makeVideoDecoder();
  if (!state.decoder) {
    sys_log(1, "IAMMutiMediaStream create failed");
    release_all();
    return 0;
  }
  if (!name || state.decoder->open(name, state.info) != plat::VideoOpen::Ok) {
    sys_log(1, "MMStream OpenFile failed");
    release_all();
    return 0;
  }
  state.duration_ms = state.decoder->durationMs();
  state.bits = VIDEO_BIT_OPEN;
  return 1;
}

// The frame centred on the screen. The decoder delivers at most 800 x 600, and the halving is
// signed and clamped, so the rectangle never leaves the screen whatever the film's size.
plat::Rect centred_rect() {
  const int32_t sw = sys_get_screen_width() > 0 ? sys_get_screen_width() : SCREEN_WIDTH;
  const int32_t sh = sys_get_screen_height() > 0 ? sys_get_screen_height() : SCREEN_HEIGHT;
  const int32_t w = std::clamp(state.info.width, 0, sw), h = std::clamp(state.info.height, 0, sh);
  plat::Rect r;
  r.left = (sw - w) / 2;
  r.top = (sh - h) / 2;
  r.right = r.left + w;
  r.bottom = r.top + h;
  return r;
}

// The sample on DRAW's memory surface; surface names the surface in the texts. 0, or -1 after a
// failure (logged, everything released).
int make_sample(const char* surface, plat::Rect* out) {
  if (!state.info.hasVideo) {
    sys_log(1, "MMStream GetMediaStream failed");
    release_all();
    state.bits = 0;
    return -1;
  }
  state.rect = centred_rect();
  if (out) *out = state.rect;
  BITMAP16* memory = draw_memory_surface();
  if (!memory) {
    sys_log_printf(1, "%s didn't initialized", surface);
    release_all();
    state.bits = 0;
    return -1;
  }
  const plat::Rect& r = state.rect;
  int32_t code = 0;
  if (r.width() <= 0 || r.height() <= 0 || r.left < 0 || r.top < 0 || r.right > static_cast<int32_t>(memory->width) ||
      r.bottom > static_cast<int32_t>(memory->height)) {
    code = DDERR_INVALIDRECT;
  } else if (!plat::videoMasksUsable(plat::get().display().masks())) {
    code = DDERR_INVALIDPIXELFORMAT;
  } else if (memory->height == 0 || !memory->rows[0]) {
    code = E_POINTER;
  } else {
    code = state.decoder->start();
  }
  if (code != 0) {
    log_sample_failure(code);
    release_all();
    state.bits = 0;
    return -1;
  }
  state.bits |= VIDEO_BIT_RUNNING;
  return 0;
}

int stream_start(plat::Rect* out) {
  if (!(state.bits & VIDEO_BIT_OPEN)) return -2;
  if (state.bits & VIDEO_BIT_RUNNING) return 0;
  return make_sample("lpDDSMemory7", out);
}

// The next frame into the memory surface: Ok, NoFrame or End (the end noted, any decoding
// failure logged).
plat::VideoFrame render_frame() {
  BITMAP16* memory = draw_memory_surface();
  if (!memory) return plat::VideoFrame::NoFrame;
  const plat::VideoFrame got = state.decoder->next(memory->rows[0], static_cast<int32_t>(memory->pitch),
                                                   plat::get().display().masks(), state.rect);
  if (got == plat::VideoFrame::End && !state.ended) {
    state.ended = true;
    const std::string error = state.decoder->takeError();
    if (!error.empty()) sys_log(1, error.c_str());
  }
  const plat::VideoTimes t = state.decoder->times();
  state.sample_start = t.startMs;
  state.sample_end = t.endMs;
  state.sample_current = t.currentMs;
  return got;
}

void reset_input() {
  input_flush();
  input_clear_key();
}

const ModuleReset k_reset("VIDEO", video_reset);

}  // namespace

VIDEO_STATE& video_state() { return state; }

int video_open(const char* name, plat::Rect* rect) {
  if (!stream_open(name)) return -2;
  return stream_start(rect);
}

int video_update(BITMAP16* target, int mode) {
  if (!(state.bits & VIDEO_BIT_RUNNING) || !state.decoder) return -2;
  if (render_frame() != plat::VideoFrame::Ok) return -2;
  const plat::Rect& r = state.rect;
  draw_copy_memory_surface(target, r.left, r.top, r.right, r.bottom, mode);
  return 0;
}

int video_at_end() { return state.ended ? 1 : 0; }

int video_close() {
  release_all();
  state.bits = 0;
  return 0;
}

void video_seek(int64_t ms) {
  if (!(state.bits & VIDEO_BIT_RUNNING) || !state.decoder) return;
  if (ms < 0) ms = 0;
  if (ms >= state.duration_ms) ms = std::max<int64_t>(state.duration_ms - 1, 0);
  state.ended = false;
  state.decoder->seekMs(ms);
}

void video_set_overlay(VideoOverlayFn overlay) { state.overlay = overlay; }

int video_play_modal(int32_t, int32_t, int32_t, int32_t, const char* name, int abortable) {
  reset_input();
  if (!stream_open(name)) return -2;
  if (make_sample("lpDDSPrimary7", nullptr) != 0) {
    reset_input();
    return -1;
  }
  while (render_frame() == plat::VideoFrame::Ok) {
    sys_pump_messages();
    if (abortable && (static_cast<int8_t>(input_get_scan_code()) == -101 || input_get_event() == -8)) break;
    bitmap16_clear(screen_back);
    const plat::Rect& r = state.rect;
    draw_copy_memory_surface(screen_back, r.left, r.top, r.right, r.bottom, 1);
    if (state.overlay) state.overlay(screen_back);
    if (draw_present_slot) draw_present_slot(screen_back);
  }
  video_close();
  reset_input();
  return 0;
}

void video_reset() {
  video_close();
  state = VIDEO_STATE{};
}
