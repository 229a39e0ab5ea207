// Windows on SDL2: not resizable; the caller places them (centring included).
#include "common/window_close.h"
#include "plat/cp936.h"
#include "plat/winmsg.h"
#include "sdl/sdl_impl.h"

namespace plat::sdl {

WindowId SdlWindows::create(const WindowDesc& d) {
  if (!p_.videoReady()) {
    lastError_ = "no video driver: " + p_.videoError();
    return kNoWindow;
  }
  Uint32 flags = d.hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_SHOWN;
  if (d.borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (d.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  // The top-most style is not reproduced: on a desktop it only gets in the player's way.
  int x = d.pos ? d.pos->x : static_cast<int>(SDL_WINDOWPOS_CENTERED);
  int y = d.pos ? d.pos->y : static_cast<int>(SDL_WINDOWPOS_CENTERED);
  std::string title = cp936::toUtf8(d.titleCp936);
  SDL_Window* win = SDL_CreateWindow(title.c_str(), x, y, d.client.w, d.client.h, flags);
  if (!win && d.fullscreen) {
    note(std::string("full-screen window failed, windowed instead: ") + SDL_GetError());
    win = SDL_CreateWindow(title.c_str(), x, y, d.client.w, d.client.h, flags & ~SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  if (!win) {
    lastError_ = SDL_GetError();
    return kNoWindow;
  }
  WindowId id = SDL_GetWindowID(win);
  Win w;
  w.sdl = win;
  w.desc = d;
  wins_[id] = w;
  if (main_ == kNoWindow) {
    main_ = id;
    SDL_StartTextInput();  // typed characters flow while the main window exists
  }
  return id;
}

void SdlWindows::destroy(WindowId w) {
  auto it = wins_.find(w);
  if (it == wins_.end()) return;
  common::destroyWindow(p_.translator(), w, it->second.destroying, it->second.desc.proc, p_.nowMs(),
                        common::BatchEnd::NextPump, [this, w] {
                          if (p_.sdlDisplay().isOpen() && p_.sdlDisplay().window() == w) p_.sdlDisplay().close();
                          auto gone = wins_.find(w);
                          if (gone != wins_.end()) {
                            SDL_DestroyWindow(gone->second.sdl);
                            wins_.erase(gone);
                          }
                          if (main_ == w) {
                            main_ = kNoWindow;
                            SDL_StopTextInput();
                          }
                        });
}

void SdlWindows::closeAll() {
  p_.sdlDisplay().close();
  for (auto& [id, w] : wins_) SDL_DestroyWindow(w.sdl);
  wins_.clear();
  main_ = kNoWindow;
}

void SdlWindows::leaveFullscreen() {
  for (auto& [id, w] : wins_)
    if (SDL_GetWindowFlags(w.sdl) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(w.sdl, 0);
}

SDL_Window* SdlWindows::sdlWindow(WindowId w) const {
  auto it = wins_.find(w);
  return it == wins_.end() ? nullptr : it->second.sdl;
}

const WindowDesc* SdlWindows::desc(WindowId w) const {
  auto it = wins_.find(w);
  return it == wins_.end() ? nullptr : &it->second.desc;
}

void SdlWindows::setTitle(WindowId w, std::string_view titleCp936) {
  auto it = wins_.find(w);
  if (it == wins_.end()) return;
  it->second.desc.titleCp936 = std::string(titleCp936);
  SDL_SetWindowTitle(it->second.sdl, cp936::toUtf8(titleCp936).c_str());
}

void SdlWindows::show(WindowId w, ShowMode mode) {
  SDL_Window* win = sdlWindow(w);
  if (!win) return;
  switch (mode) {
    case ShowMode::Normal:
      SDL_ShowWindow(win);
      if (SDL_GetWindowFlags(win) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(win);
      SDL_RaiseWindow(win);
      break;
    case ShowMode::NoActivate:
      SDL_ShowWindow(win);
      break;
    case ShowMode::Hide:
      SDL_HideWindow(win);
      break;
    case ShowMode::Minimise:
      SDL_MinimizeWindow(win);
      break;
    case ShowMode::Restore:
      SDL_RestoreWindow(win);
      break;
  }
}

void SdlWindows::move(WindowId w, Point topLeft) {
  if (SDL_Window* win = sdlWindow(w)) SDL_SetWindowPosition(win, topLeft.x, topLeft.y);
}

Rect SdlWindows::windowRect(WindowId w) {
  SDL_Window* win = sdlWindow(w);
  if (!win) return {};
  int x = 0, y = 0, cw = 0, ch = 0, top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowPosition(win, &x, &y);
  SDL_GetWindowSize(win, &cw, &ch);
  if (SDL_GetWindowBordersSize(win, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  return Rect{x - left, y - top, x + cw + right, y + ch + bottom};
}

Rect SdlWindows::clientRect(WindowId w) {
  const WindowDesc* d = desc(w);
  return d ? Rect{0, 0, d->client.w, d->client.h} : Rect{};
}

Point SdlWindows::clientToScreen(WindowId w, Point pt) {
  SDL_Window* win = sdlWindow(w);
  if (!win) return pt;
  int x = 0, y = 0;
  SDL_GetWindowPosition(win, &x, &y);
  return Point{pt.x + x, pt.y + y};
}

Point SdlWindows::screenToClient(WindowId w, Point pt) {
  SDL_Window* win = sdlWindow(w);
  if (!win) return pt;
  int x = 0, y = 0;
  SDL_GetWindowPosition(win, &x, &y);
  return Point{pt.x - x, pt.y - y};
}

static int displayOf(SDL_Window* win) {
  int i = win ? SDL_GetWindowDisplayIndex(win) : 0;
  return i < 0 ? 0 : i;
}

Rect SdlWindows::workArea() {
  SDL_Rect r{};
  int i = displayOf(sdlWindow(main_));
  if (SDL_GetDisplayUsableBounds(i, &r) != 0 && SDL_GetDisplayBounds(i, &r) != 0) {
    Size s = screenSize();
    return Rect{0, 0, s.w, s.h};
  }
  return Rect{r.x, r.y, r.x + r.w, r.y + r.h};
}

Size SdlWindows::screenSize() {
  SDL_DisplayMode mode{};
  int i = displayOf(sdlWindow(main_));
  if (SDL_GetDesktopDisplayMode(i, &mode) == 0) return Size{mode.w, mode.h};
  SDL_Rect r{};
  if (SDL_GetDisplayBounds(i, &r) == 0) return Size{r.w, r.h};
  return Size{800, 600};
}

bool SdlWindows::isMinimised(WindowId w) {
  SDL_Window* win = sdlWindow(w);
  return win && (SDL_GetWindowFlags(win) & SDL_WINDOW_MINIMIZED) != 0;
}

bool SdlWindows::hasFocus(WindowId w) {
  SDL_Window* win = sdlWindow(w);
  return win && (SDL_GetWindowFlags(win) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlWindows::raise(WindowId w) {
  SDL_Window* win = sdlWindow(w);
  if (!win) return;
  if (SDL_GetWindowFlags(win) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(win);
  SDL_RaiseWindow(win);
}

void SdlWindows::setFocus(WindowId w) {
  SDL_Window* win = sdlWindow(w);
  if (!win) return;
  if (SDL_SetWindowInputFocus(win) != 0) SDL_RaiseWindow(win);
}

int32_t SdlWindows::defWindowProc(const Msg& m) {
  if (m.message == WM_CLOSE) destroy(m.window == kNoWindow ? main_ : m.window);
  return 0;
}

}  // namespace plat::sdl
