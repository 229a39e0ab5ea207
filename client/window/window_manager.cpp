// The in-game window manager: two circular lists with sentinel heads, the per-frame run and the
// close requests.
#include "client/window/window_manager.h"

#include <algorithm>
#include <cstring>

#include "client/common/rect_overlap.h"
#include "client/edit/game_edit.h"
#include "client/game/frame_input.h"
#include "core/reset/module_resets.h"
#include "engine/engine_main/engine_main.h"
#include "items/drag_icon/drag_icon.h"
#include "plat/platform.h"
#include "plat/tier0.h"
#include "social/chat_input/chat_input_box.h"
#include "ui/game_screen/modal_box.h"
#include "ui/game_screen/tooltip.h"
#include "ui/game_screen/window_slots.h"

int32_t window_current_id = -1;
int32_t window_front_id = -1;
WINDOW_DRAG window_drag = {-1, 0, 0, 0};
void (*window_route_edit_input)() = [] { edit_list_route_input(); };
void (*window_activate_chat_line)() = [] { edit_activate(&chat_input_box); };

namespace {

constexpr int32_t kFirstId = 10;

WINDOW_ENTRY g_heads[2];
int32_t g_counter = kFirstId;
std::vector<int32_t> g_close_requests;
int g_run_depth = 0;

WINDOW_ENTRY* head_of(uint8_t topmost) {
  WINDOW_ENTRY* h = &g_heads[topmost ? 1 : 0];
  if (!h->next) h->next = h->prev = h;  // first use
  return h;
}

WINDOW_ENTRY* find(uint8_t topmost, int32_t id) {
  WINDOW_ENTRY* h = head_of(topmost);
  for (WINDOW_ENTRY* e = h->next; e != h; e = e->next)
    if (e->id == id && !e->removed) return e;
  return nullptr;
}

// The front window: the last entry not marked removed, or null.
WINDOW_ENTRY* tail_of(uint8_t topmost) {
  WINDOW_ENTRY* h = head_of(topmost);
  for (WINDOW_ENTRY* e = h->prev; e != h; e = e->prev)
    if (!e->removed) return e;
  return nullptr;
}

void unlink(WINDOW_ENTRY* e) {
  e->prev->next = e->next;
  e->next->prev = e->prev;
}

void link_at_tail(WINDOW_ENTRY* h, WINDOW_ENTRY* e) {
  e->prev = h->prev;
  e->next = h;
  h->prev->next = e;
  h->prev = e;
}

void purge(uint8_t topmost) {
  WINDOW_ENTRY* h = head_of(topmost);
  for (WINDOW_ENTRY* e = h->next; e != h;) {
    WINDOW_ENTRY* next = e->next;
    if (e->removed) {
      unlink(e);
      plat::tier0::free(e);
    }
    e = next;
  }
}

void free_all(uint8_t topmost) {
  WINDOW_ENTRY* h = head_of(topmost);
  for (WINDOW_ENTRY* e = h->next; e != h;) {
    WINDOW_ENTRY* next = e->next;
    plat::tier0::free(e);
    e = next;
  }
  h->next = h->prev = h;
}

WINDOW_ENTRY* new_entry(uint8_t topmost, int32_t id, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                        WindowCallback draw, WindowCallback input, uint32_t user) {
  // tier0's allocation ends the program when memory runs out.
  auto* e = static_cast<WINDOW_ENTRY*>(plat::tier0::alloc(sizeof(WINDOW_ENTRY)));
  std::memset(e, 0, sizeof *e);
  e->id = id;
  e->user = user;
  e->x0 = x0;
  e->y0 = y0;
  e->x1 = x1;
  e->y1 = y1;
  e->draw = draw;
  e->input = input;
  link_at_tail(head_of(topmost), e);
  tip_hide();
  return e;
}

bool contains(const WINDOW_ENTRY& e, int32_t x, int32_t y) { return x >= e.x0 && x < e.x1 && y >= e.y0 && y < e.y1; }

bool raising_event(uint8_t code) {
  return code == 241 || code == 242 || code == 244 || code == 245 || code == 247 || code == 248;
}

bool main_window_minimised() {
  const plat::WindowId w = sys_main_window();
  return w != plat::kNoWindow && plat::get().windows().isMinimised(w);
}

// Runs one callback of a window with the current id set; the entry is not touched afterwards,
// since the callback may add or remove windows.
void run_callback(int32_t id, WindowCallback fn) {
  window_current_id = id;
  fn();
}

}  // namespace

int32_t window_add(int32_t x0, int32_t y0, int32_t x1, int32_t y1, WindowCallback draw, WindowCallback input,
                   uint32_t user, uint8_t topmost) {
  if (g_counter < kFirstId) g_counter = kFirstId;
  const int32_t id = g_counter++;
  new_entry(topmost, id, x0, y0, x1, y1, draw, input, user);
  return id;
}

int32_t window_add_plain(int32_t x0, int32_t y0, int32_t x1, int32_t y1, WindowCallback draw, WindowCallback input,
                         uint32_t user, int32_t id) {
  new_entry(0, id, x0, y0, x1, y1, draw, input, user);
  return id;
}

int32_t window_remove(int32_t id, uint8_t topmost) {
  WINDOW_ENTRY* e = find(topmost, id);
  if (!e) return -2;
  e->removed = true;
  if (g_run_depth == 0) purge(topmost);
  return 0;
}

void window_bring_to_front(int32_t id, uint8_t topmost) {
  WINDOW_ENTRY* e = find(topmost, id);
  if (!e) return;
  unlink(e);
  link_at_tail(head_of(topmost), e);
}

int32_t window_get_rect(int32_t id, int32_t* rect_out, uint32_t* state_out, uint8_t topmost) {
  const WINDOW_ENTRY* e = find(topmost, id);
  if (!e) return -2;
  if (rect_out) {
    rect_out[0] = e->x0;
    rect_out[1] = e->y0;
    rect_out[2] = e->x1;
    rect_out[3] = e->y1;
  }
  if (state_out) *state_out = e->state;
  return 0;
}

void window_set_rect(int32_t id, const int32_t* rect, uint32_t state, uint8_t topmost) {
  WINDOW_ENTRY* e = find(topmost, id);
  if (!e) return;
  e->state = state;
  if (rect) {
    e->x0 = rect[0];
    e->y0 = rect[1];
    e->x1 = rect[2];
    e->y1 = rect[3];
  }
}

int32_t window_hit_test(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int32_t probe[4] = {x0, y0, x1, y1};
  WINDOW_ENTRY* h = head_of(0);
  for (WINDOW_ENTRY* e = h->next; e != h; e = e->next) {
    const int32_t r[4] = {e->x0, e->y0, e->x1, e->y1};
    if (!e->removed && rect_overlap_test(r, probe)) return e->id;
  }
  return -2;
}

bool window_any_open() { return tail_of(0) != nullptr; }

WINDOW_ENTRY* window_list_head() { return head_of(0); }

void window_request_close(int32_t id) {
  if (std::find(g_close_requests.begin(), g_close_requests.end(), id) == g_close_requests.end()) {
    g_close_requests.push_back(id);
  }
}

const std::vector<int32_t>& window_close_requests() { return g_close_requests; }

void window_drag_start(int32_t id, uint8_t topmost, int32_t offset_x, int32_t offset_y) {
  window_drag = WINDOW_DRAG{id, topmost, offset_x, offset_y};
}

void window_drag_update() {}

const std::vector<WINDOW_ENTRY>& window_list(uint8_t topmost) {
  static std::vector<WINDOW_ENTRY> copies[2];
  std::vector<WINDOW_ENTRY>& out = copies[topmost ? 1 : 0];
  out.clear();
  WINDOW_ENTRY* h = head_of(topmost);
  for (WINDOW_ENTRY* e = h->next; e != h; e = e->next) out.push_back(*e);
  return out;
}

void window_lists_run(uint8_t topmost) {
  const WINDOW_ENTRY* tail = tail_of(topmost);
  if (!tail) return;
  const int32_t mx = frame_input.raw_mouse_x, my = frame_input.raw_mouse_y;

  // Raise the window under a press or click; the event that raised it is used up.
  int32_t candidate = -1;
  bool changed = false;
  WINDOW_ENTRY* h = head_of(topmost);
  if (raising_event(frame_input.event_code)) {
    for (WINDOW_ENTRY* e = h->prev; e != h; e = e->prev) {
      if (!e->removed && contains(*e, mx, my)) {
        candidate = e->id;
        changed = candidate != window_front_id;
        break;
      }
    }
  }
  for (WINDOW_ENTRY* e = h->next; e != h; e = e->next) {
    if (!e->removed && (e->user & 1) && e->id != candidate) {
      candidate = e->id;
      changed = true;
    }
  }
  if (window_slots.ids[WINDOW_SYSTEM_MENU] != -1) candidate = window_slots.ids[WINDOW_SYSTEM_MENU];
  if (changed) {
    // Ids below 10 are the caller-chosen ones of the normal list.
    window_bring_to_front(candidate, candidate >= kFirstId ? topmost : 0);
    window_front_id = candidate;
    frame_input.event_code = 0;
  } else {
    window_front_id = tail->id;
  }

  window_current_id = -1;
  // Each run has its own requests; a run nested in a callback keeps the outer run's.
  struct RunGuard {
    std::vector<int32_t> outer = std::move(g_close_requests);
    RunGuard() {
      g_close_requests.clear();
      ++g_run_depth;
    }
    ~RunGuard() {
      g_close_requests = std::move(outer);
      if (--g_run_depth == 0) {
        purge(0);
        purge(1);
      }
    }
  } guard;

  // The callbacks may add or remove windows: walk a snapshot of ids and look each one up.
  std::vector<int32_t> ids;
  for (WINDOW_ENTRY* e = h->next; e != h; e = e->next)
    if (!e->removed) ids.push_back(e->id);
  if (!main_window_minimised()) {
    for (int32_t id : ids) {
      const WINDOW_ENTRY* e = find(topmost, id);
      if (e && e->draw) run_callback(id, e->draw);
    }
  }
  window_current_id = -1;
  item_draw_drag_icon();

  if (!MODAL_BOX_HANDLER) {
    if (window_route_edit_input) window_route_edit_input();
    window_current_id = -1;
    const WINDOW_ENTRY* front = tail_of(topmost);
    if (front && contains(*front, mx, my) && front->input) run_callback(front->id, front->input);
    window_current_id = -1;
  }

  if (!g_close_requests.empty()) {
    if (window_slots.ids[WINDOW_MESSAGE_ENTRY] < 0 && window_activate_chat_line) window_activate_chat_line();
    // Copy first: the removals must not see requests added behind them.
    const std::vector<int32_t> requests = g_close_requests;
    for (int32_t id : requests) window_remove(id, topmost);
  }
}

void window_manager_reset() {
  free_all(0);
  free_all(1);
  g_counter = kFirstId;
  g_close_requests.clear();
  g_run_depth = 0;
  window_current_id = -1;
  window_front_id = -1;
  window_drag = WINDOW_DRAG{-1, 0, 0, 0};
}

static const ModuleReset k_reset("window manager", window_manager_reset);
