// Interim window manager: the two lists, the per-frame run and the close requests, without the
// parts that belong to the game screen (window slots, dragged items, edit routing).
#include <algorithm>

#include "client/game/frame_input.h"
#include "client/window/window_manager.h"
#include "core/reset/module_resets.h"
#include "engine/engine_main/engine_main.h"
#include "plat/platform.h"

int32_t window_current_id = -1;
int32_t window_front_id = -1;
WINDOW_DRAG window_drag = {-1, 0, 0, 0};

namespace {

struct WindowList {
  std::vector<WINDOW_ENTRY> entries;
  int32_t counter = 10;
};

WindowList g_lists[2];
std::vector<int32_t> g_close_requests;
int g_run_depth = 0;

WindowList& list_of(uint8_t topmost) { return g_lists[topmost ? 1 : 0]; }

WINDOW_ENTRY* find(WindowList& l, int32_t id) {
  for (WINDOW_ENTRY& e : l.entries)
    if (e.id == id && !e.removed) return &e;
  return nullptr;
}

void purge(WindowList& l) {
  l.entries.erase(std::remove_if(l.entries.begin(), l.entries.end(), [](const WINDOW_ENTRY& e) { return e.removed; }),
                  l.entries.end());
}

bool contains(const WINDOW_ENTRY& e, int32_t x, int32_t y) { return x >= e.x0 && x < e.x1 && y >= e.y0 && y < e.y1; }

bool raising_event(uint8_t code) {
  return code == 241 || code == 242 || code == 244 || code == 245 || code == 247 || code == 248;
}

bool main_window_minimised() {
  const plat::WindowId w = sys_main_window();
  return w != plat::kNoWindow && plat::get().windows().isMinimised(w);
}

}  // namespace

int32_t window_add(int32_t x0, int32_t y0, int32_t x1, int32_t y1, WindowCallback draw, WindowCallback input,
                   uint32_t user, uint8_t topmost) {
  WindowList& l = list_of(topmost);
  if (l.counter < 10) l.counter = 10;
  const int32_t id = l.counter++;
  l.entries.push_back(WINDOW_ENTRY{id, user, x0, y0, x1, y1, draw, input, 0, false});
  return id;
}

int32_t window_remove(int32_t id, uint8_t topmost) {
  WindowList& l = list_of(topmost);
  WINDOW_ENTRY* e = find(l, id);
  if (!e) return -2;
  e->removed = true;
  if (g_run_depth == 0) purge(l);
  return 0;
}

void window_bring_to_front(int32_t id, uint8_t topmost) {
  WindowList& l = list_of(topmost);
  auto it = std::find_if(l.entries.begin(), l.entries.end(),
                         [id](const WINDOW_ENTRY& e) { return e.id == id && !e.removed; });
  if (it == l.entries.end()) return;
  std::rotate(it, it + 1, l.entries.end());
}

int32_t window_get_rect(int32_t id, int32_t* rect_out, uint32_t* state_out, uint8_t topmost) {
  const WINDOW_ENTRY* e = find(list_of(topmost), id);
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
  WINDOW_ENTRY* e = find(list_of(topmost), id);
  if (!e) return;
  e->state = state;
  if (rect) {
    e->x0 = rect[0];
    e->y0 = rect[1];
    e->x1 = rect[2];
    e->y1 = rect[3];
  }
}

void window_request_close(int32_t id) {
  if (std::find(g_close_requests.begin(), g_close_requests.end(), id) == g_close_requests.end()) {
    g_close_requests.push_back(id);
  }
}

const std::vector<int32_t>& window_close_requests() { return g_close_requests; }

void window_drag_start(int32_t id, uint8_t topmost, int32_t offset_x, int32_t offset_y) {
  window_drag = WINDOW_DRAG{id, topmost, offset_x, offset_y};
}

const std::vector<WINDOW_ENTRY>& window_list(uint8_t topmost) { return list_of(topmost).entries; }

void window_lists_run(uint8_t topmost) {
  WindowList& l = list_of(topmost);
  if (l.entries.empty()) return;
  const int32_t mx = frame_input.raw_mouse_x, my = frame_input.raw_mouse_y;

  // Raise the window under a press or click; the event that raised it is used up.
  int32_t candidate = -1;
  bool changed = false;
  if (raising_event(frame_input.event_code)) {
    for (auto it = l.entries.rbegin(); it != l.entries.rend(); ++it) {
      if (!it->removed && contains(*it, mx, my)) {
        candidate = it->id;
        changed = candidate != window_front_id;
        break;
      }
    }
  }
  for (const WINDOW_ENTRY& e : l.entries) {
    if (!e.removed && (e.user & 1) && e.id != candidate) {
      candidate = e.id;
      changed = true;
    }
  }
  if (changed) {
    window_bring_to_front(candidate, topmost);
    window_front_id = candidate;
    frame_input.event_code = 0;
  } else {
    window_front_id = l.entries.back().id;
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
        purge(g_lists[0]);
        purge(g_lists[1]);
      }
    }
  } guard;

  // The callbacks may add or remove windows: walk a snapshot of ids and look each one up.
  std::vector<int32_t> ids;
  ids.reserve(l.entries.size());
  for (const WINDOW_ENTRY& e : l.entries)
    if (!e.removed) ids.push_back(e.id);
  const bool minimised = main_window_minimised();
  for (int32_t id : ids) {
    const WINDOW_ENTRY* e = find(l, id);
    if (!e || minimised || !e->draw) continue;
    window_current_id = id;
    const WindowCallback draw = e->draw;
    draw();
  }

  window_current_id = -1;
  const WINDOW_ENTRY* front = nullptr;
  for (auto it = l.entries.rbegin(); it != l.entries.rend(); ++it) {
    if (!it->removed) {
      front = &*it;
      break;
    }
  }
  if (front && contains(*front, mx, my) && front->input) {
    window_current_id = front->id;
    const WindowCallback input = front->input;
    input();
  }

  // Copy first: a removal may run callbacks of its own one day.
  const std::vector<int32_t> requests = g_close_requests;
  for (int32_t id : requests) window_remove(id, topmost);
}

void window_manager_reset() {
  g_lists[0] = WindowList{};
  g_lists[1] = WindowList{};
  g_close_requests.clear();
  g_run_depth = 0;
  window_current_id = -1;
  window_front_id = -1;
  window_drag = WINDOW_DRAG{-1, 0, 0, 0};
}

static const ModuleReset k_reset("window manager", window_manager_reset);
