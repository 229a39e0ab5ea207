// The renderer's operations over the one manager record.
#include "engine/emote/emote_text.h"

#include <cstdlib>
#include <cstring>

#include "core/reset/module_resets.h"
#include "engine/emote/emote_draw.h"
#include "engine/emote/emote_surface.h"
#include "engine/system/system.h"
#include "plat/cp936.h"

IEmoteText* emote_text = nullptr;

EMOTE_DIB_SURFACE* emote_surface = nullptr;
TEXT_LAYOUT* emote_layout = nullptr;
uint32_t emote_frame_delta = 0;
IEmoteText* emote_text_object = nullptr;
std::vector<TEXT_REQUEST> emote_request_list;
int32_t emote_blink_counter = 0;
uint8_t emote_outline = 0;
int32_t emote_glyph_size = 12;

namespace {

EMOTE_TEXT_MANAGER manager;

void free_buffers() {
  std::free(manager.scratch);
  manager.scratch = nullptr;
  pixel_block_free(&manager.pixels);
}

void manager_reset() {
  free_buffers();  // a second init without a release in between
  manager.target = nullptr;
  std::memset(manager.unused_words, 0, sizeof manager.unused_words);
  manager.spare.clear();
  manager.persistent.clear();
  manager.frame_soft.clear();
  manager.frame_gdi.clear();
  manager.next_id = 0;
  manager.last_time = manager.current_time = sys_last_pump_time();
  manager.gdi = 1;
  manager.dc = nullptr;
  manager.has_pen = false;
  manager.pixels = pixel_block_alloc(EMOTE_PIXELS_WIDTH, EMOTE_PIXELS_HEIGHT);
  if (manager.pixels) {
    manager.scratch = static_cast<uint8_t*>(
        std::malloc(static_cast<size_t>(manager.pixels->stride) * static_cast<size_t>(manager.pixels->height)));
  }
  manager.last_word = 0;
}

void manager_release() {
  free_buffers();
  manager.has_pen = false;
  manager.target = nullptr;
  manager.persistent.clear();
  manager.frame_soft.clear();
  manager.frame_gdi.clear();
  manager.spare.clear();
  manager.next_id = 0;
}

void destroy_objects() {
  delete emote_layout;
  emote_layout = nullptr;
  if (emote_surface) {
    surface_release_media(*emote_surface);
    delete emote_surface;
    emote_surface = nullptr;
  }
}

void update_times() {
  manager.current_time = sys_last_pump_time();
  emote_frame_delta = manager.current_time - manager.last_time;
  manager.last_time = manager.current_time;
}

bool ready() { return emote_layout && emote_surface; }

// The caller's bytes as UTF-16: at most 2047 bytes, never half a character.
std::u16string convert_text(const char* text) {
  if (!text) return {};
  const std::string_view bytes(text, std::strlen(text));
  return plat::cp936::decode(bytes.substr(0, plat::cp936::fitLength(bytes, EMOTE_TEXT_BUFFER_SIZE - 1)));
}

// A new id and the text laid out in the rectangle.
int32_t lay_out(const char* text, const plat::Rect& rect, TEXT_REQUEST* request) {
  const int32_t id = ++manager.next_id;
  request->text = convert_text(text);
  request->requested = rect;
  EmoteMeasure measure;
  layout_text(*emote_layout, *request, rect.left, rect.top, rect.right, rect.bottom, measure);
  return id;
}

void queue_text(EMOTE_TEXT_QUEUE& q, int32_t x, int32_t y, int32_t w, int32_t h, const char* text) {
  TEXT_REQUEST request;
  const int32_t id = lay_out(text, {x, y, x + w, y + h}, &request);
  q.runs[id] = emote_layout->runs;
  q.requests[id] = std::move(request);
}

void emote_module_reset() {
  destroy_objects();
  manager_release();
  manager = EMOTE_TEXT_MANAGER{};
  emote_frame_delta = 0;
  emote_text_object = nullptr;
  emote_request_list.clear();
  emote_blink_counter = 0;
  emote_outline = 0;
  emote_glyph_size = 12;
  text_layout_reset_parser();
}
const ModuleReset k_reset("EMOTE", emote_module_reset);

}  // namespace

EMOTE_TEXT_MANAGER* emote_text_manager() { return &manager; }

IEmoteText::~IEmoteText() = default;

int32_t IEmoteText::emote_text_init(const char* path) {
  destroy_objects();
  manager_reset();
  if (!manager.pixels || !manager.scratch) return EMOTE_TEXT_FAIL;
  emote_surface = new EMOTE_DIB_SURFACE;
  if (surface_load(*emote_surface, path) != 0) {
    destroy_objects();
    return EMOTE_TEXT_FAIL;
  }
  emote_text_object = this;
  emote_layout = new TEXT_LAYOUT;
  emote_layout->text_buffer.fill(0);
  emote_request_list.clear();
  return 0;
}

int32_t IEmoteText::emote_text_release() {
  // The pointers are cleared too: later calls fail cleanly and a new init works.
  destroy_objects();
  manager_release();
  return 0;
}

int32_t IEmoteText::emote_text_tick(plat::Canvas24* dc, const PIXEL_BLOCK24* background) {
  manager.gdi = 1;
  update_times();
  manager.dc = dc;
  if (!ready()) return EMOTE_TEXT_FAIL;
  surface_clear_drawn_flags(*emote_surface);
  draw_queue(manager.frame_gdi, background);
  if (emote_layout) flash_step(emote_layout->flash_timer, emote_frame_delta);
  manager.frame_gdi.clear();
  return 0;
}

int32_t IEmoteText::emote_text_flush(int32_t, int32_t, float, BITMAP16* target, int32_t) {
  manager.gdi = 0;
  update_times();
  manager.target = target;
  if (!target || !ready()) return EMOTE_TEXT_FAIL;
  surface_clear_drawn_flags(*emote_surface);
  draw_queue(manager.frame_soft, nullptr);
  draw_queue(manager.persistent, nullptr);
  if (emote_layout) flash_step(emote_layout->flash_timer, emote_frame_delta);
  manager.frame_soft.clear();
  return 0;
}

int32_t IEmoteText::emote_text_layout(const char* text, plat::Rect* rect, int32_t keep, plat::Canvas24* dc,
                                      uint8_t gdi) {
  if (!rect || int64_t{rect->bottom} - rect->top < 20 || int64_t{rect->right} - rect->left < 20) {
    return EMOTE_TEXT_FAIL;
  }
  if (!ready()) return EMOTE_TEXT_FAIL;
  manager.gdi = gdi;
  if (gdi) manager.dc = dc;
  TEXT_REQUEST request;
  const int32_t id = lay_out(text, *rect, &request);
  const auto first = emote_layout->line_heights.find(1);
  const int32_t result = (first == emote_layout->line_heights.end() ? 0 : first->second) - 19;
  *rect = request.used;
  if (keep) {
    manager.persistent.runs[id] = emote_layout->runs;
    manager.persistent.requests[id] = std::move(request);
  }
  manager.gdi = 1;
  return result;
}

int32_t IEmoteText::emote_text_remove(int32_t id) {
  manager.persistent.requests.erase(id);
  manager.persistent.runs.erase(id);
  return 0;
}

void IEmoteText::emote_text_clear() { manager.persistent.clear(); }

int32_t IEmoteText::emote_text_draw_line(int32_t x, int32_t y, int32_t width, int32_t height, const char* text) {
  if (!ready()) return EMOTE_TEXT_FAIL;
  queue_text(manager.frame_soft, x, y, width, height, text);
  return 0;
}

int32_t IEmoteText::emote_text_draw(int32_t x, int32_t y, int32_t width, int32_t height, const char* text,
                                    int32_t) {
  if (!ready()) return EMOTE_TEXT_FAIL;
  queue_text(manager.frame_gdi, x, y, width, height, text);
  return 0;
}

int32_t IEmoteText::emote_text_draw_emote(int32_t x, int32_t y, int32_t width, int32_t height, int32_t command,
                                          uint8_t blink, uint8_t button, const PIXEL_BLOCK24* background) {
  if (!ready()) return EMOTE_TEXT_FAIL;
  draw_menu_frame(0, 575, 0, 0, 0, background);
  if (blink) {
    ++emote_blink_counter;
    if (emote_blink_counter >= 6 && emote_blink_counter <= 9) draw_menu_frame(88, 575, 0, 0, 7, background);
    if (emote_blink_counter >= 10) emote_blink_counter = 0;
  }
  if (button) draw_menu_frame(40, 576, 0, 0, 3, background);
  if (x) draw_menu_frame(x, y, width, height, command, background);
  return 0;
}
