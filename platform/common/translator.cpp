// Backend events to Windows message records.
#include "common/translator.h"

#include "plat/cp936.h"
#include "plat/winmsg.h"

namespace plat::common {

uint32_t DropStore::add(DropGroup g) {
  uint32_t h = next_++;
  if (next_ == 0) next_ = 1;  // 0 is never a handle
  groups_[h] = std::move(g);
  return h;
}

const DropGroup* DropStore::get(uint32_t handle) const {
  auto it = groups_.find(handle);
  return it == groups_.end() ? nullptr : &it->second;
}

void DropStore::finish(uint32_t handle) { groups_.erase(handle); }

WindowId Translator::target(WindowId w) {
  if (w == kNoWindow) w = host_.mainWindowId();
  if (w == kNoWindow || !host_.windowExists(w)) return kNoWindow;
  return w;
}

void Translator::queue(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam) {
  queue_.push_back(Msg{w, message, wParam, lParam, host_.nowMs()});
}

void Translator::push(Msg m) {
  WindowId w = target(m.window);
  if (w == kNoWindow) return;  // only windows of ours receive records
  m.window = w;
  queue_.push_back(m);
}

void Translator::feed(const RawEvent& e) {
  using K = RawEvent::Kind;
  switch (e.kind) {
    case K::Quit: {
      WindowId w = target(kNoWindow);
      if (w != kNoWindow) queue(w, WM_CLOSE, 0, 0);
      break;
    }
    case K::CloseRequest: {
      WindowId w = target(e.window);
      if (w != kNoWindow) queue(w, WM_CLOSE, 0, 0);
      break;
    }
    case K::FocusGained:
      if (target(e.window) != kNoWindow) focused_ = e.window;
      break;
    case K::FocusLost:
      if (focused_ == e.window) focused_ = kNoWindow;
      break;
    case K::Minimised:
      if (target(e.window) != kNoWindow) queue(e.window, WM_SIZE, SIZE_MINIMIZED, 0);
      break;
    case K::Restored:
    case K::Shown:
      if (target(e.window) != kNoWindow) {
        Size s = host_.windowClientSize(e.window);
        queue(e.window, WM_SIZE, SIZE_RESTORED, makeLParam(s.w, s.h));
      }
      break;
    case K::Moved:
      if (target(e.window) != kNoWindow) queue(e.window, WM_MOVE, 0, makeLParam(e.point.x, e.point.y));
      break;
    case K::Exposed:
      if (target(e.window) != kNoWindow) paints_.insert(e.window);
      break;
    case K::DropBegin:
      dropping_[e.window] = DropGroup{};
      break;
    case K::DropFile:
      dropping_[e.window].namesCp936.push_back(cp936::fromUtf8(e.text));
      break;
    case K::DropComplete: {
      auto it = dropping_.find(e.window);
      if (it == dropping_.end()) break;
      DropGroup g = std::move(it->second);
      dropping_.erase(it);
      WindowId w = target(e.window);
      if (w == kNoWindow || g.namesCp936.empty() || !host_.windowAcceptsFiles(w)) break;
      uint32_t h = drops_.add(std::move(g));
      queue(w, WM_DROPFILES, h, 0);
      break;
    }
    case K::Posted:
      push(Msg{e.window, e.message, e.wParam, e.lParam, host_.nowMs()});
      break;
    case K::KeyDown:
    case K::KeyUp:
      feedKey(e, e.kind == K::KeyDown);
      break;
    case K::Text:
      feedText(e);
      break;
    case K::Compose:
      feedCompose(e);
      break;
    case K::PointerMove:
    case K::ButtonDown:
    case K::ButtonUp:
    case K::Wheel:
    case K::PointerLeave:
      feedPointer(e);
      break;
  }
}

void Translator::endBatch() {
  if (focused_ != kNoWindow && !host_.windowExists(focused_)) focused_ = kNoWindow;
  bool active = focused_ != kNoWindow;
  if (active == reportedActive_) return;
  reportedActive_ = active;
  // WM_ACTIVATEAPP reports the application: it goes to the main window, or to the focused one
  // while no main window exists.
  WindowId w = target(kNoWindow);
  if (w == kNoWindow) w = target(focused_);
  if (w != kNoWindow) queue(w, WM_ACTIVATEAPP, active ? 1u : 0u, 0);
}

bool Translator::pop(Msg& out) {
  while (!queue_.empty()) {
    out = queue_.front();
    queue_.pop_front();
    if (host_.windowExists(out.window)) return true;  // its window may be gone since
  }
  while (!paints_.empty()) {
    WindowId w = *paints_.begin();
    paints_.erase(paints_.begin());
    if (host_.windowExists(w)) {
      out = Msg{w, WM_PAINT, 0, 0, host_.nowMs()};
      return true;
    }
  }
  return false;
}

void Translator::windowGone(WindowId w) {
  if (focused_ == w) focused_ = kNoWindow;
  paints_.erase(w);
  dropping_.erase(w);
}

void Translator::emptyPump() {
  ++pumps_;
  if (frameLimit_ != 0 && !limitPosted_ && pumps_ >= frameLimit_) {
    WindowId w = target(kNoWindow);
    if (w != kNoWindow) {  // no window yet: the next pump tries again
      limitPosted_ = true;
      queue(w, WM_CLOSE, 0, 0);
    }
  }
}

}  // namespace plat::common
