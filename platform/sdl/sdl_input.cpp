// SDL keyboard, pointer, text and editing events; colour cursors; the input method's window.
#include <cstdio>

#include "common/cursor_load.h"
#include "sdl/sdl_impl.h"

namespace plat::sdl {

using common::RawEvent;
using K = RawEvent::Kind;

void translateInput(SdlPlatform& p, const SDL_Event& e) {
  common::Translator& t = p.translator();
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      RawEvent r{e.type == SDL_KEYDOWN ? K::KeyDown : K::KeyUp, e.key.windowID};
      r.usage = static_cast<uint16_t>(e.key.keysym.scancode);
      r.repeat = e.key.repeat != 0;
      r.numLock = (e.key.keysym.mod & KMOD_NUM) ? 1 : 0;
      t.feed(r);
      break;
    }
    case SDL_TEXTINPUT: {
      RawEvent r{K::Text, e.text.windowID};
      r.text = e.text.text;
      t.feed(r);
      break;
    }
    case SDL_TEXTEDITING: {
      RawEvent r{K::Compose, e.edit.windowID};
      r.text = e.edit.text;
      r.cursor = e.edit.start;
      t.feed(r);
      break;
    }
    case SDL_MOUSEMOTION:
      // Coordinates come through the renderer's logical size: the 800 x 600 client space.
      t.feed(RawEvent{K::PointerMove, e.motion.windowID, Point{e.motion.x, e.motion.y}});
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      // SDL numbers left 1, middle 2, right 3, as the raw record does. Its click count is not
      // used: the main window never asks for double clicks.
      RawEvent r{e.type == SDL_MOUSEBUTTONDOWN ? K::ButtonDown : K::ButtonUp, e.button.windowID,
                 Point{e.button.x, e.button.y}};
      r.button = e.button.button;
      t.feed(r);
      break;
    }
    case SDL_MOUSEWHEEL: {
      RawEvent r{K::Wheel, e.wheel.windowID};
      r.wheel = e.wheel.preciseY;
      r.flipped = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED;
      t.feed(r);
      break;
    }
    default:
      break;
  }
}

// ---- cursors --------------------------------------------------------------------------------

CursorId SdlCursors::arrow() {
  if (shapes_.count(kArrow) == 0) {
    Shape s;
    if (p_.videoReady()) {
      if (SDL_Cursor* c = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW)) s.frames.push_back(c);
    }
    s.stepFrames.push_back(0);
    s.stepMs.push_back(0);
    shapes_[kArrow] = std::move(s);
  }
  return kArrow;
}

CursorId SdlCursors::loadFile(std::string_view gamePathCp936) {
  std::optional<CursorImage> img = common::loadCursorFile(p_.files(), gamePathCp936);
  if (!img) return 0;
  Shape s;
  if (p_.videoReady()) {
    for (CursorFrame& f : img->frames) {
      SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(f.argb.data(), f.width, f.height, 32, f.width * 4,
                                                                SDL_PIXELFORMAT_ARGB8888);
      SDL_Cursor* c = surface ? SDL_CreateColorCursor(surface, f.hotSpot.x, f.hotSpot.y) : nullptr;
      if (surface) SDL_FreeSurface(surface);
      if (!c) {
        // The file is good; the desktop cannot show colour cursors. The handle stays valid and
        // showing it leaves the current cursor.
        static bool said = false;
        if (!said) {
          said = true;
          p_.debugOut(std::string("colour cursors refused, the default cursor stays: ") + SDL_GetError());
        }
        for (SDL_Cursor* made : s.frames) SDL_FreeCursor(made);
        s.frames.clear();
        break;
      }
      s.frames.push_back(c);
    }
  }
  s.stepFrames = img->stepFrames;
  for (uint32_t j : img->stepJiffies) s.stepMs.push_back(j * 1000 / 60);
  CursorId id = next_++;
  shapes_[id] = std::move(s);
  return id;
}

void SdlCursors::set(CursorId id) {
  auto it = shapes_.find(id);
  if (it == shapes_.end()) return;
  if (id != current_) {
    current_ = id;
    step_ = 0;
    stepStart_ = p_.nowMs();
  }
  const Shape& s = it->second;
  if (!s.frames.empty() && !s.stepFrames.empty()) SDL_SetCursor(s.frames[s.stepFrames[step_]]);
}

void SdlCursors::animate(uint32_t nowMs) {
  auto it = shapes_.find(current_);
  if (it == shapes_.end()) return;
  const Shape& s = it->second;
  if (s.stepFrames.size() < 2 || s.frames.empty()) return;  // a one-frame file stays static
  bool changed = false;
  // At most one pass over the steps per call: a long stall does not spin here.
  for (size_t n = 0; n < s.stepFrames.size() && nowMs - stepStart_ >= s.stepMs[step_]; ++n) {
    stepStart_ += s.stepMs[step_];
    step_ = (step_ + 1) % s.stepFrames.size();
    changed = true;
  }
  if (nowMs - stepStart_ >= s.stepMs[step_]) stepStart_ = nowMs;
  if (changed) SDL_SetCursor(s.frames[s.stepFrames[step_]]);
}

void SdlCursors::show(bool on) {
  if (p_.videoReady()) SDL_ShowCursor(on ? SDL_ENABLE : SDL_DISABLE);
}

Point SdlCursors::position() {
  SDL_Window* win = p_.sdlWindows().sdlWindow(p_.sdlWindows().mainWindow());
  if (!win) return {};
  int gx = 0, gy = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  SDL_GetWindowPosition(win, &wx, &wy);
  int x = gx - wx, y = gy - wy;
  if (SDL_Renderer* r = SDL_GetRenderer(win)) {
    float lx = 0, ly = 0;
    SDL_RenderWindowToLogical(r, x, y, &lx, &ly);
    return Point{static_cast<int32_t>(lx), static_cast<int32_t>(ly)};
  }
  return Point{x, y};
}

void SdlCursors::setPosition(Point client) {
  // Intrusive under X11 and refused under Wayland: done only when a screen asks.
  SDL_Window* win = p_.sdlWindows().sdlWindow(p_.sdlWindows().mainWindow());
  if (!win) return;
  int x = client.x, y = client.y;
  if (SDL_Renderer* r = SDL_GetRenderer(win)) SDL_RenderLogicalToWindow(r, static_cast<float>(client.x),
                                                                        static_cast<float>(client.y), &x, &y);
  SDL_WarpMouseInWindow(win, x, y);
}

void SdlCursors::free(CursorId id) {
  if (id == kArrow) return;  // shared, freed with the platform
  auto it = shapes_.find(id);
  if (it == shapes_.end()) return;
  if (current_ == id) {
    current_ = 0;
    if (shapes_.count(kArrow) && !shapes_[kArrow].frames.empty()) SDL_SetCursor(shapes_[kArrow].frames[0]);
  }
  for (SDL_Cursor* c : it->second.frames) SDL_FreeCursor(c);
  shapes_.erase(it);
}

void SdlCursors::releaseAll() {
  for (auto& [id, s] : shapes_)
    for (SDL_Cursor* c : s.frames) SDL_FreeCursor(c);
  shapes_.clear();
  current_ = 0;
}

// ---- text input -----------------------------------------------------------------------------

void SdlTextInput::setCaretRect(WindowId w, Rect client) {
  if (w == kNoWindow) w = p_.sdlWindows().mainWindow();
  SDL_Window* win = p_.sdlWindows().sdlWindow(w);
  if (!win) return;
  int left = client.left, top = client.top, right = client.right, bottom = client.bottom;
  if (SDL_Renderer* r = SDL_GetRenderer(win)) {
    SDL_RenderLogicalToWindow(r, static_cast<float>(client.left), static_cast<float>(client.top), &left, &top);
    SDL_RenderLogicalToWindow(r, static_cast<float>(client.right), static_cast<float>(client.bottom), &right, &bottom);
  }
  SDL_Rect rect{left, top, right > left ? right - left : 0, bottom > top ? bottom - top : 0};
  SDL_SetTextInputRect(&rect);
}

bool SdlTextInput::composing() { return p_.translator().composition().composing; }

ImeComposition SdlTextInput::composition() { return p_.translator().composition(); }

}  // namespace plat::sdl
