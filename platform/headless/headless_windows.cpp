// Headless windows: records whose state the test controls.
#include "common/window_close.h"
#include "headless/headless_impl.h"
#include "plat/winmsg.h"

namespace plat::headless_impl {

using common::RawEvent;

WindowId HeadlessWindows::create(const WindowDesc& desc) {
  if (createFails_) {
    lastError_ = "window creation refused by the test";
    return kNoWindow;
  }
  if (desc.client.w <= 0 || desc.client.h <= 0) {
    lastError_ = "invalid window size";
    return kNoWindow;
  }
  WindowId id = next_++;
  Rec r;
  r.desc = desc;
  r.hidden = desc.hidden;
  if (desc.pos) {
    r.pos = *desc.pos;
  } else {
    Rect a = workArea();
    r.pos = Point{a.left + (a.width() - desc.client.w) / 2, a.top + (a.height() - desc.client.h) / 2};
  }
  recs_[id] = r;
  if (main_ == kNoWindow) main_ = id;
  if (!r.hidden) {
    // As on a desktop: shown, focused, then exposed.
    common::Translator& t = p_.translator();
    t.feed(RawEvent{RawEvent::Kind::Shown, id});
    if (desc.owner == kNoWindow) {
      if (t.focused() != kNoWindow) t.feed(RawEvent{RawEvent::Kind::FocusLost, t.focused()});
      t.feed(RawEvent{RawEvent::Kind::FocusGained, id});
    }
    t.feed(RawEvent{RawEvent::Kind::Exposed, id});
    t.endBatch();
  }
  return id;
}

void HeadlessWindows::destroy(WindowId w) {
  auto it = recs_.find(w);
  if (it == recs_.end()) return;
  common::destroyWindow(p_.translator(), w, it->second.destroying, it->second.desc.proc, p_.nowMs(),
                        common::BatchEnd::Now, [this, w] {
                          recs_.erase(w);
                          if (main_ == w) main_ = kNoWindow;
                          if (p_.memory().isOpen() && p_.memory().window() == w) p_.memory().close();
                        });
}

void HeadlessWindows::setTitle(WindowId w, std::string_view titleCp936) {
  auto it = recs_.find(w);
  if (it == recs_.end()) return;
  it->second.desc.titleCp936 = std::string(titleCp936);
  // A run without a display shows its title where VELDRA_DEBUG_OUT=1 shows the debugger's lines.
  common::debugOutToStderr("headless: window title " + std::string(titleCp936));
}

void HeadlessWindows::show(WindowId w, ShowMode mode) {
  auto it = recs_.find(w);
  if (it == recs_.end()) return;
  switch (mode) {
    case ShowMode::Normal:
      it->second.hidden = false;
      setMinimised(w, false);
      focus(w, true);
      break;
    case ShowMode::NoActivate:
      it->second.hidden = false;
      break;
    case ShowMode::Hide:
      it->second.hidden = true;
      focus(w, false);
      break;
    case ShowMode::Minimise:
      setMinimised(w, true);
      break;
    case ShowMode::Restore:
      setMinimised(w, false);
      break;
  }
}

void HeadlessWindows::move(WindowId w, Point topLeft) {
  auto it = recs_.find(w);
  if (it == recs_.end()) return;
  it->second.pos = topLeft;
  p_.translator().feed(RawEvent{RawEvent::Kind::Moved, w, topLeft});
}

Rect HeadlessWindows::windowRect(WindowId w) {
  const Rec* r = rec(w);
  if (!r) return {};
  return Rect{r->pos.x, r->pos.y, r->pos.x + r->desc.client.w, r->pos.y + r->desc.client.h};
}

Rect HeadlessWindows::clientRect(WindowId w) {
  const Rec* r = rec(w);
  if (!r) return {};
  return Rect{0, 0, r->desc.client.w, r->desc.client.h};
}

Point HeadlessWindows::clientToScreen(WindowId w, Point pt) {
  const Rec* r = rec(w);
  return r ? Point{pt.x + r->pos.x, pt.y + r->pos.y} : pt;
}

Point HeadlessWindows::screenToClient(WindowId w, Point pt) {
  const Rec* r = rec(w);
  return r ? Point{pt.x - r->pos.x, pt.y - r->pos.y} : pt;
}

Rect HeadlessWindows::workArea() {
  Size s = screenSize();
  return Rect{0, 0, s.w, s.h};
}

Size HeadlessWindows::screenSize() { return p_.options().screen; }

bool HeadlessWindows::isMinimised(WindowId w) {
  const Rec* r = rec(w);
  return r && r->minimised;
}

bool HeadlessWindows::hasFocus(WindowId w) { return w != kNoWindow && p_.translator().focused() == w; }

WindowId HeadlessWindows::mainWindow() { return main_; }

int32_t HeadlessWindows::defWindowProc(const Msg& m) {
  if (m.message == WM_CLOSE) destroy(m.window == kNoWindow ? main_ : m.window);
  return 0;
}

void HeadlessWindows::setMinimised(WindowId w, bool minimised) {
  auto it = recs_.find(w);
  if (it == recs_.end() || it->second.minimised == minimised) return;
  it->second.minimised = minimised;
  p_.translator().feed(RawEvent{minimised ? RawEvent::Kind::Minimised : RawEvent::Kind::Restored, w});
}

void HeadlessWindows::focus(WindowId w, bool on) {
  if (!exists(w)) return;
  common::Translator& t = p_.translator();
  if (on) {
    if (t.focused() == w) return;
    if (t.focused() != kNoWindow) t.feed(RawEvent{RawEvent::Kind::FocusLost, t.focused()});
    t.feed(RawEvent{RawEvent::Kind::FocusGained, w});
  } else {
    t.feed(RawEvent{RawEvent::Kind::FocusLost, w});
  }
  t.endBatch();
}

const HeadlessWindows::Rec* HeadlessWindows::rec(WindowId w) const {
  auto it = recs_.find(w);
  return it == recs_.end() ? nullptr : &it->second;
}

WindowProc HeadlessWindows::procOf(WindowId w) const {
  const Rec* r = rec(w);
  return r ? r->desc.proc : nullptr;
}

std::string HeadlessWindows::title(WindowId w) const {
  const Rec* r = rec(w);
  return r ? r->desc.titleCp936 : std::string();
}

}  // namespace plat::headless_impl
