// Headless keyboard, pointer and input-method events, cursors and text input.
#include "common/cursor_load.h"
#include "headless/headless_impl.h"

namespace plat::headless_impl {

using common::RawEvent;

void HeadlessPlatformImpl::feedInput(WindowId w, const ScriptInput& in) {
  using S = ScriptInput::Kind;
  using K = RawEvent::Kind;
  RawEvent r{K::Posted, w, in.point};
  switch (in.kind) {
    case S::None: return;
    case S::KeyDown: r.kind = K::KeyDown; break;
    case S::KeyUp: r.kind = K::KeyUp; break;
    case S::Text: r.kind = K::Text; break;
    case S::Compose: r.kind = K::Compose; break;
    case S::Move: r.kind = K::PointerMove; break;
    case S::ButtonDown: r.kind = K::ButtonDown; break;
    case S::ButtonUp: r.kind = K::ButtonUp; break;
    case S::Wheel: r.kind = K::Wheel; break;
    case S::Leave: r.kind = K::PointerLeave; break;
  }
  r.usage = in.usage;
  r.repeat = in.repeat;
  r.text = in.text;
  r.button = in.button;
  r.wheel = in.wheel;
  // A scripted composition puts the cursor at its end.
  r.cursor = static_cast<int32_t>(in.text.size());
  translator_.feed(r);
}

CursorId HeadlessCursors::loadFile(std::string_view gamePathCp936) {
  std::optional<CursorImage> img = common::loadCursorFile(p_.files(), gamePathCp936);
  if (!img) return 0;
  CursorId id = next_++;
  images_[id] = std::move(*img);
  record_.loaded.emplace_back(gamePathCp936);
  return id;
}

void HeadlessCursors::set(CursorId id) {
  if (id != kArrow && images_.count(id) == 0) return;
  record_.current = id;
  // Every pointer move sets the cursor: a long run keeps only the recent calls.
  if (record_.sets.size() >= 4096) record_.sets.erase(record_.sets.begin(), record_.sets.begin() + 2048);
  record_.sets.push_back(id);
}

Point HeadlessCursors::position() { return p_.translator().pointer(); }

void HeadlessCursors::setPosition(Point client) {
  record_.warps.push_back(client);
  p_.translator().warpPointer(client);
}

const CursorImage* HeadlessCursors::image(CursorId id) const {
  auto it = images_.find(id);
  return it == images_.end() ? nullptr : &it->second;
}

void HeadlessTextInput::setCaretRect(WindowId w, Rect client) {
  auto& rects = p_.cursorRecord().caretRects;
  if (rects.size() >= 4096) rects.erase(rects.begin(), rects.begin() + 2048);  // edit boxes place it every frame
  rects.emplace_back(w == kNoWindow ? p_.mainWindowId() : w, client);
}

bool HeadlessTextInput::composing() { return p_.translator().composition().composing; }

ImeComposition HeadlessTextInput::composition() { return p_.translator().composition(); }

}  // namespace plat::headless_impl
