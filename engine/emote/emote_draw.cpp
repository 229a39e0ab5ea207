// The two drawing back ends of the renderer.
#include "engine/emote/emote_draw.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/emote/emote_surface.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/primitives/gfx16_lines.h"
#include "plat/cp936.h"

namespace {

EMOTE_TEXT_MANAGER& m() { return *emote_text_manager(); }

// The run's bytes, cut on a character boundary.
std::string run_bytes(std::u16string_view text) {
  std::string bytes = plat::cp936::encode(text);
  bytes.resize(plat::cp936::fitLength(bytes, EMOTE_RUN_BYTES));
  return bytes;
}

bool canvas_path() { return m().gdi && m().dc; }

TextSize soft_measure(std::u16string_view text) {
  int32_t w = 0;
  for (const char16_t c : text) w += c < 129 ? 6 : 12;
  return {w, 19};
}

// The pixel buffer through the mask: where it is black the canvas keeps its pixels. The frame
// runner wrote only inside the frame's size, so only that corner is masked, copied and cleared;
// it is cut to the buffer's 128 x 64, below which the mask canvas was never filled.
void blit_pixels(const plat::Rect& rect) {
  EMOTE_TEXT_MANAGER& mg = m();
  PIXEL_BLOCK24* px = mg.pixels;
  if (!px || !emote_surface) return;
  plat::Canvas24& dib = emote_surface->dib;
  const int32_t w = std::clamp(rect.right, 0, px->width), h = std::clamp(rect.bottom, 0, px->height);
  const size_t bytes = std::min<size_t>(static_cast<size_t>(w) * 3, 384);
  for (int32_t y = 0; y < h; ++y) {
    uint8_t* d = dib.row(y);
    const uint8_t* s = px->rows[y];
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t v = (s[3 * x] | s[3 * x + 1] | s[3 * x + 2]) ? 0x00 : 0xFF;
      d[3 * x] = d[3 * x + 1] = d[3 * x + 2] = v;
    }
  }
  if (mg.dc) mg.dc->blit(rect.left, rect.top, w, h, dib, 0, 0, plat::BlitOp::And);
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(dib.row(y), px->rows[y], bytes);
    std::memset(px->rows[y], 0, bytes);
  }
  if (mg.dc) mg.dc->blit(rect.left, rect.top, w, h, dib, 0, 0, plat::BlitOp::Or);
}

}  // namespace

uint32_t emote_colour_ref(uint16_t c) {
  return plat::rgb24(static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 3), static_cast<uint8_t>(c << 3));
}

TextSize measure_text(std::u16string_view text) {
  if (!canvas_path()) return soft_measure(text);
  const plat::TextExtent e = m().dc->measure(run_bytes(text));
  return {e.cx, e.cy + 6};
}

EmoteMeasure::EmoteMeasure() { software_widths = !canvas_path(); }

TextSize EmoteMeasure::measure_char(char16_t c) {
  if (!canvas_path()) return soft_measure(std::u16string_view(&c, 1));
  return measure_text(std::u16string_view(&c, 1));
}

void EmoteMeasure::picture_size(const std::string& name, uint8_t* width, uint8_t* height) {
  *width = *height = 0;
  if (!emote_surface) return;
  const auto it = emote_surface->pictures.find(name);
  if (it == emote_surface->pictures.end()) return;
  *width = static_cast<uint8_t>(it->second.width);
  *height = static_cast<uint8_t>(it->second.height);
}

void draw_text_run(const plat::Rect& r, std::u16string_view text, uint16_t colour) {
  EMOTE_TEXT_MANAGER& mg = m();
  const std::string bytes = run_bytes(text);
  if (mg.gdi) {
    if (mg.dc) mg.dc->drawText({r.left, r.top + 2, r.right, r.bottom}, bytes, emote_colour_ref(colour));
    return;
  }
  const uint16_t saved = font_get_color();
  const auto draw = [&](int32_t x, int32_t y) {
    font_draw_text(x, y, "~Z1", 1, mg.target);
    font_draw_text(x, y, bytes.c_str(), 1, mg.target);
  };
  if (emote_outline) {
    font_set_color(0);
    draw(r.left + 1, r.top + 3);
    draw(r.left - 1, r.top + 3);
    draw(r.left + 1, r.top + 1);
    draw(r.left - 1, r.top + 1);
  }
  font_set_color(colour);
  draw(r.left, r.top + 2);
  font_set_color(saved);
}

void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour) {
  EMOTE_TEXT_MANAGER& mg = m();
  if (mg.gdi) {
    if (!mg.dc) return;
    mg.has_pen = true;
    mg.pen_colour = emote_colour_ref(colour);
    mg.dc->line(x1, y1, x2, y2, mg.pen_colour);
    return;
  }
  BITMAP16* t = mg.target;
  if (!t) return;
  // The target's own size: it need not be the 800 x 600 screen.
  plat::forEachLinePoint(x1, y1, x2, y2, [&](int32_t x, int32_t y) { gfx16_put_pixel_clipped(x, y, colour, t); });
}

void draw_picture(const std::string& name, int32_t x, int32_t y, const PIXEL_BLOCK24* background) {
  if (!emote_surface) return;
  auto it = emote_surface->pictures.find(name.substr(0, 3));
  if (it == emote_surface->pictures.end()) return;
  const std::string key = it->first;
  EMOTE_PICTURE& p = it->second;
  if (p.current_frame >= p.frame_count) p.current_frame = 0;
  const std::string command = p.command;
  const int32_t step = p.current_frame;
  EMOTE_TEXT_MANAGER& mg = m();
  // Both runs can show a message box, which runs frames: nothing is held across them.
  if (!mg.gdi) {
    mda_run_command(emote_surface->emote_media, command.c_str(), x, y, mg.target, MDA_EXPLICIT_STEP, 0, 0, step);
  } else if (mg.dc) {
    plat::Rect rect{x, y, 0, 0};
    if (emote_run_frame(emote_surface->emote_media, command.c_str(), 0, 0, mg.pixels, step, background, &rect)) {
      blit_pixels(rect);
    }
  }
  if (!emote_surface) return;
  it = emote_surface->pictures.find(key);
  if (it == emote_surface->pictures.end()) return;
  EMOTE_PICTURE& q = it->second;
  if (mg.current_time - q.step_time > 100 && !q.drawn) {
    ++q.current_frame;
    q.step_time = mg.current_time;
  }
  q.drawn = 1;
}

void draw_menu_frame(int32_t x, int32_t y, int32_t width, int32_t height, int32_t command,
                     const PIXEL_BLOCK24* background) {
  if (!emote_surface || !m().dc) return;
  char name[32];
  std::snprintf(name, sizeof name, "MainCommand%d", command);
  plat::Rect rect{x, y, x + width, y + height};
  if (emote_run_frame(emote_surface->menu_media, name, 0, 0, m().pixels, 0, background, &rect)) blit_pixels(rect);
}

void draw_queue(EMOTE_TEXT_QUEUE& queue, const PIXEL_BLOCK24* background) {
  const uint32_t shown = emote_layout ? emote_layout->flash_timer.shown : 0;
  auto it = queue.runs.begin();
  while (it != queue.runs.end()) {
    const int32_t id = it->first;
    const auto request = queue.requests.find(id);
    if (request != queue.requests.end()) {
      // Copies: a message box inside a draw runs frames that may change the queues.
      const int32_t bottom = request->second.requested.bottom;
      const std::vector<TEXT_RUN> runs = it->second;
      for (const TEXT_RUN& r : runs) {
        if (r.bottom() > bottom) continue;
        if (r.kind == TEXT_RUN_TEXT) {
          if (!r.flash || shown < 1000) draw_text_run(r.rect, r.text, r.colour);
          if (r.underline) draw_line(r.rect.left, r.rect.bottom, r.rect.right, r.rect.bottom, r.colour);
        } else if (r.size_flag == TEXT_RUN_EMOTE_SIZE_FLAG) {
          draw_picture(r.picture_name, r.picture_x, r.picture_y, background);
          if (r.underline) {
            const int32_t yb = r.picture_y + r.picture_height;
            draw_line(r.picture_x, yb, r.picture_x + r.picture_width, yb, r.colour);
          }
        }
      }
    }
    it = queue.runs.upper_bound(id);
  }
}

void flash_step(FLASH_TIMER& t, uint32_t delta) {
  if (t.shown < 1000) {
    t.shown += delta;
    t.hidden = 0;
    return;
  }
  t.hidden += delta;
  if (t.hidden >= 500) t.shown = 0;
}
