// The message translator both backends share: backend events in, Windows message records out.
// It knows nothing of SDL; the SDL backend copies each event into a RawEvent and the headless
// backend builds the same records from scripts and test calls. Main thread only.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>

#include "plat/platform.h"
#include "plat/textinput.h"

namespace plat::common {

// What the translator asks of the backend's windows.
class TranslatorHost {
 public:
  virtual ~TranslatorHost() = default;
  virtual WindowId mainWindowId() = 0;
  virtual bool windowExists(WindowId w) = 0;
  virtual bool windowAcceptsFiles(WindowId w) = 0;
  virtual Size windowClientSize(WindowId w) = 0;
  virtual uint32_t nowMs() = 0;
  // The main window's client point in screen coordinates (the wheel's and the leave's lParam).
  virtual Point clientToScreen(WindowId, Point p) { return p; }
};

// One backend event before translation.
struct RawEvent {
  enum class Kind : uint8_t {
    CloseRequest,  // the window's close button
    Quit,          // the session or a signal asks the program to end
    FocusGained,
    FocusLost,
    Minimised,
    Restored,
    Shown,
    Moved,         // point: the client area's new screen position
    Exposed,
    DropBegin,
    DropFile,      // text: the file name, UTF-8
    DropComplete,
    Posted,        // message, wParam, lParam as posted
    KeyDown,       // usage (USB HID, SDL's scan code); repeat; numLock when the backend knows it
    KeyUp,
    Text,          // text: committed characters, UTF-8
    Compose,       // text: the composition, UTF-8 ("" ends it); cursor in characters
    PointerMove,   // point: client coordinates of the 800 x 600 space
    ButtonDown,    // button: 1 left, 2 middle, 3 right, others ignored; point as for a move
    ButtonUp,
    Wheel,         // wheel: notches, positive away from the user, before the flipped correction
    PointerLeave,
  };
  RawEvent() = default;
  explicit RawEvent(Kind k, WindowId w = kNoWindow, Point p = {}) : kind(k), window(w), point(p) {}

  Kind kind = Kind::Posted;
  WindowId window = kNoWindow;
  Point point;
  std::string text;
  uint32_t message = 0;
  uint32_t wParam = 0;
  int32_t lParam = 0;
  uint16_t usage = 0;
  bool repeat = false;
  int8_t numLock = -1;  // -1: unknown, the translator toggles its own state on the Num Lock key
  uint8_t button = 0;
  float wheel = 0;
  bool flipped = false;
  int32_t cursor = 0;
};

// Dropped-file groups, addressed by the handle carried in WM_DROPFILES' wParam.
class DropStore : public DropList {
 public:
  uint32_t add(DropGroup g);
  const DropGroup* get(uint32_t handle) const override;
  void finish(uint32_t handle) override;
  size_t size() const { return groups_.size(); }

 private:
  std::map<uint32_t, DropGroup> groups_;
  uint32_t next_ = 1;
};

class Translator {
 public:
  explicit Translator(TranslatorHost& host) : host_(host) {}

  void feed(const RawEvent& e);
  // After a batch of events: reports a change of the application's activation once, so focus
  // moving between two windows of ours reports nothing.
  void endBatch();
  // The next record: queued records first, then one pending WM_PAINT per window.
  bool pop(Msg& out);
  bool pending() const { return !queue_.empty() || !paints_.empty(); }
  // Queues a record as is (the window kNoWindow becomes the main window).
  void push(Msg m);
  // Forgets a destroyed window: its focus, paints and half-made drops.
  void windowGone(WindowId w);
  // Counts one pump that found nothing pending; at the frame limit posts WM_CLOSE to the main
  // window, once.
  void emptyPump();
  void setFrameLimit(uint32_t pumps) { frameLimit_ = pumps; }
  uint64_t pumps() const { return pumps_; }

  WindowId focused() const { return focused_; }
  bool appActive() const { return reportedActive_; }
  int16_t keyState(uint8_t vk) const { return keys_[vk]; }
  DropStore& drops() { return drops_; }
  // The pointer's last client point, and the input method's state (tests may add candidates).
  Point pointer() const { return pointer_; }
  void warpPointer(Point client) { pointer_ = client; }
  ImeComposition& composition() { return ime_; }

 private:
  WindowId target(WindowId w);
  void queue(WindowId w, uint32_t message, uint32_t wParam, int32_t lParam);
  void feedKey(const RawEvent& e, bool down);
  void feedPointer(const RawEvent& e);
  void feedText(const RawEvent& e);
  void feedCompose(const RawEvent& e);
  void refreshKeyStates();
  bool vkDown(uint8_t vk) const { return keys_[vk] < 0; }
  uint32_t mouseFlags() const;

  TranslatorHost& host_;
  std::deque<Msg> queue_;
  std::set<WindowId> paints_;
  std::map<WindowId, DropGroup> dropping_;
  DropStore drops_;
  WindowId focused_ = kNoWindow;
  bool reportedActive_ = false;
  uint32_t frameLimit_ = 0;
  uint64_t pumps_ = 0;
  bool limitPosted_ = false;
  std::array<int16_t, 256> keys_{};

  // Input state: keys down by usage (with the virtual key each went down as), Num Lock, mouse
  // buttons, the wheel's unsent fraction, the composition and the last pointer position.
  std::array<uint8_t, 256> downVk_{};  // 0 = up
  bool numLock_ = true;
  uint32_t buttons_ = 0;  // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON
  double wheel_ = 0;      // in 1/120 notches
  Point pointer_;
  WindowId pointerWindow_ = kNoWindow;
  ImeComposition ime_;
  bool unencodableSaid_ = false;
};

// MAKELPARAM: low word x, high word y.
inline int32_t makeLParam(int32_t lo, int32_t hi) {
  return static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xFFFFu) | ((static_cast<uint32_t>(hi) & 0xFFFFu) << 16));
}

}  // namespace plat::common
