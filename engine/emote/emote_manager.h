// The renderer's state: the one manager record and the objects that init makes. Main thread only.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "engine/emote/emote_text.h"
#include "engine/emote/pixel_block.h"
#include "engine/emote/text_layout.h"

struct EMOTE_DIB_SURFACE;

using EmoteRunsMap = std::map<int32_t, std::vector<TEXT_RUN>>;

// Texts queued under their ids: the request and the runs its layout produced.
struct EMOTE_TEXT_QUEUE {
  std::map<int32_t, TEXT_REQUEST> requests;
  EmoteRunsMap runs;
  void clear() {
    requests.clear();
    runs.clear();
  }
  bool empty() const { return requests.empty() && runs.empty(); }
};

constexpr int32_t EMOTE_PIXELS_WIDTH = 128;
constexpr int32_t EMOTE_PIXELS_HEIGHT = 64;

struct EMOTE_TEXT_MANAGER {
  BITMAP16* target = nullptr;        // the software path draws here (set by flush)
  uint32_t unused_words[8] = {};     // cleared by reset, read by nothing
  EmoteRunsMap spare;                // emptied by reset and release, used by nothing
  uint32_t unused_word = 0;
  uint32_t last_time = 0, current_time = 0;  // the message-pump clock, milliseconds
  uint8_t gdi = 1;                   // 1: drawing goes to the canvas, 0: to the target bitmap
  EMOTE_TEXT_QUEUE persistent;       // kept texts, drawn by every flush
  int32_t next_id = 0;
  EMOTE_TEXT_QUEUE frame_soft;       // drawn and emptied by the next flush
  EMOTE_TEXT_QUEUE frame_gdi;        // drawn and emptied by the next tick
  plat::Canvas24* dc = nullptr;
  bool has_pen = false;              // the line colour set on the canvas
  uint32_t pen_colour = 0;
  PIXEL_BLOCK24* pixels = nullptr;   // 128 x 64: emote frames are rendered here
  uint8_t* scratch = nullptr;        // as large as the pixel rows
  uint32_t last_word = 0;
};

// Beside the manager, process-wide.
extern EMOTE_DIB_SURFACE* emote_surface;
extern TEXT_LAYOUT* emote_layout;
extern uint32_t emote_frame_delta;
extern IEmoteText* emote_text_object;
extern std::vector<TEXT_REQUEST> emote_request_list;  // emptied at init, filled by nothing
extern int32_t emote_blink_counter;
// The broadcast ticker draws its text outlined: four black copies under the coloured one.
extern uint8_t emote_outline;
extern int32_t emote_glyph_size;
