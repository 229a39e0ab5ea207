// The cursor and text-input services of a platform that does not offer its own: an arrow that
// never shows, no files, no pointer movement, no input method.
#include "plat/platform.h"

namespace plat {

namespace {

class NullCursors final : public ICursorSystem {
 public:
  CursorId arrow() override { return 1; }
  CursorId loadFile(std::string_view) override { return 0; }
  void set(CursorId) override {}
  void show(bool) override {}
  Point position() override { return {}; }
  void setPosition(Point) override {}
  void free(CursorId) override {}
};

class NullTextInput final : public ITextInput {
 public:
  void setCaretRect(WindowId, Rect) override {}
  bool composing() override { return false; }
  ImeComposition composition() override { return {}; }
};

}  // namespace

ICursorSystem& Platform::cursors() {
  static NullCursors cursors;
  return cursors;
}

ITextInput& Platform::textInput() {
  static NullTextInput input;
  return input;
}

IClipboard& Platform::clipboard() {
  static MemoryClipboard clipboard;
  return clipboard;
}

}  // namespace plat
