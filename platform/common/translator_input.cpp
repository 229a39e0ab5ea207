// Keyboard, pointer, text and input-method events to the records Windows would have sent.
#include <cmath>

#include "common/common.h"
#include "common/key_table.h"
#include "common/translator.h"
#include "plat/cp936.h"
#include "plat/winmsg.h"

namespace plat::common {

namespace {

constexpr int16_t kDown = -128;  // GetKeyState's high bit, as a SHORT
constexpr uint32_t kExtendedBit = 1u << 24, kAltBit = 1u << 29, kPreviousBit = 1u << 30, kReleasedBit = 1u << 31;

// The first n UTF-8 characters of text.
std::string_view firstChars(std::string_view text, int32_t n) {
  size_t i = 0;
  for (int32_t c = 0; c < n && i < text.size(); ++c) {
    ++i;
    while (i < text.size() && (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

}  // namespace

void Translator::refreshKeyStates() {
  for (int16_t& k : keys_) k = 0;
  for (size_t usage = 0; usage < downVk_.size(); ++usage) {
    if (downVk_[usage] != 0) keys_[downVk_[usage]] = kDown;
  }
  auto side = [&](uint16_t usage, uint8_t vk) {
    if (downVk_[usage] != 0) keys_[vk] = kDown;
  };
  side(kUsageLeftShift, VK_LSHIFT);
  side(kUsageRightShift, VK_RSHIFT);
  side(kUsageLeftCtrl, VK_LCONTROL);
  side(kUsageRightCtrl, VK_RCONTROL);
  side(kUsageLeftAlt, VK_LMENU);
  side(kUsageRightAlt, VK_RMENU);
  if (numLock_) keys_[VK_NUMLOCK] |= 1;  // the toggle bit
}

uint32_t Translator::mouseFlags() const {
  uint32_t f = buttons_;
  if (vkDown(VK_SHIFT)) f |= MK_SHIFT;
  if (vkDown(VK_CONTROL)) f |= MK_CONTROL;
  return f;
}

void Translator::feedKey(const RawEvent& e, bool down) {
  const KeyInfo* k = keyByUsage(e.usage);
  if (!k) return;  // keys outside the table give no record
  WindowId w = target(e.window);
  if (w == kNoWindow) return;
  const bool wasDown = downVk_[k->usage] != 0;
  const bool altBefore = vkDown(VK_MENU);
  if (down) {
    if (e.numLock >= 0) numLock_ = e.numLock != 0;
    else if (k->usage == kUsageNumLock && !wasDown) numLock_ = !numLock_;
  }
  // The keypad's virtual key follows Num Lock at the press; the release repeats it.
  uint8_t vk = k->vk;
  if (k->vkNumOff != 0) {
    if (down) vk = numLock_ ? k->vk : k->vkNumOff;
    else if (wasDown) vk = downVk_[k->usage];
    else vk = numLock_ ? k->vk : k->vkNumOff;
  }
  downVk_[k->usage] = down ? vk : 0;
  refreshKeyStates();
  const bool alt = down ? vkDown(VK_MENU) : altBefore;
  const bool sys = alt || vk == VK_F10;

  if (down && k->usage == kUsagePrintScreen) return;  // Windows sends only its release
  uint32_t lParam = 1u | static_cast<uint32_t>(k->scan) << 16;
  if (k->extended) lParam |= kExtendedBit;
  if (alt) lParam |= kAltBit;
  if (down) {
    if (e.repeat || wasDown) lParam |= kPreviousBit;
    queue(w, sys ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, static_cast<int32_t>(lParam));
  } else {
    lParam |= kPreviousBit | kReleasedBit;
    queue(w, sys ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<int32_t>(lParam));
    return;
  }
  // The characters the system's key translation adds: control keys, and Ctrl with a letter.
  if (alt) return;
  if (vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE) {
    queue(w, WM_CHAR, vk, 1);
  } else if (vkDown(VK_CONTROL) && k->usage >= kUsageLetterA && k->usage <= kUsageLetterZ) {
    queue(w, WM_CHAR, static_cast<uint32_t>(k->usage - kUsageLetterA + 1), 1);
  }
}

void Translator::feedText(const RawEvent& e) {
  WindowId w = target(e.window);
  if (w == kNoWindow) return;
  if (ime_.composing) {
    // The composition ends before its result arrives, as the system delivered them.
    ime_.composing = false;
    ime_.textCp936.clear();
    ime_.cursor = 0;
    queue(w, WM_IME_ENDCOMPOSITION, 0, 0);
  }
  std::string bytes = cp936::fromUtf8(e.text);
  if (!unencodableSaid_ && bytes.find('?') != std::string::npos && e.text.find('?') == std::string::npos) {
    unencodableSaid_ = true;
    debugOutToStderr("typed text has characters code page 936 cannot hold; they become '?'");
  }
  for (char c : bytes) queue(w, WM_CHAR, static_cast<uint8_t>(c), 1);
}

void Translator::feedCompose(const RawEvent& e) {
  WindowId w = target(e.window);
  if (w == kNoWindow) return;
  if (e.text.empty()) {
    if (!ime_.composing) return;
    ime_.composing = false;
    ime_.textCp936.clear();
    ime_.cursor = 0;
    ime_.candidatesCp936.clear();
    ime_.candidateSelected = -1;
    queue(w, WM_IME_ENDCOMPOSITION, 0, 0);
    return;
  }
  if (!ime_.composing) {
    ime_.composing = true;
    queue(w, WM_IME_STARTCOMPOSITION, 0, 0);
  }
  ime_.textCp936 = cp936::fromUtf8(e.text);
  ime_.cursor = static_cast<int32_t>(cp936::fromUtf8(firstChars(e.text, e.cursor < 0 ? 0 : e.cursor)).size());
  queue(w, WM_IME_COMPOSITION, 0, static_cast<int32_t>(GCS_COMPSTR));
}

void Translator::feedPointer(const RawEvent& e) {
  using K = RawEvent::Kind;
  WindowId w = target(e.window);
  if (w == kNoWindow) return;
  switch (e.kind) {
    case K::PointerMove:
      pointer_ = e.point;
      pointerWindow_ = w;
      queue(w, WM_SETCURSOR, w, static_cast<int32_t>(HTCLIENT | WM_MOUSEMOVE << 16));
      queue(w, WM_MOUSEMOVE, mouseFlags(), makeLParam(pointer_.x, pointer_.y));
      break;
    case K::ButtonDown:
    case K::ButtonUp: {
      uint32_t bit = 0, message = 0;
      const bool down = e.kind == K::ButtonDown;
      switch (e.button) {
        case 1: bit = MK_LBUTTON; message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case 2: bit = MK_MBUTTON; message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        case 3: bit = MK_RBUTTON; message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        default: return;  // other buttons give nothing
      }
      if (down) buttons_ |= bit;
      else buttons_ &= ~bit;
      pointer_ = e.point;
      pointerWindow_ = w;
      queue(w, message, mouseFlags(), makeLParam(pointer_.x, pointer_.y));
      break;
    }
    case K::Wheel: {
      // Whole notches of 120 go out one message each; the fraction waits for the next event.
      double amount = static_cast<double>(e.flipped ? -e.wheel : e.wheel) * 120.0;
      if (!std::isfinite(amount)) return;
      // No wheel turns faster than this in one event; a wild value cannot flood the queue.
      constexpr double kMaxPerEvent = 120.0 * 64;
      if (amount > kMaxPerEvent) amount = kMaxPerEvent;
      if (amount < -kMaxPerEvent) amount = -kMaxPerEvent;
      wheel_ += amount;
      Point screen = host_.clientToScreen(w, pointer_);
      while (wheel_ >= 120.0 || wheel_ <= -120.0) {
        int32_t delta = wheel_ > 0 ? 120 : -120;
        wheel_ -= delta;
        uint32_t wParam = (static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16) | mouseFlags();
        queue(w, WM_MOUSEWHEEL, wParam, makeLParam(screen.x, screen.y));
      }
      break;
    }
    case K::PointerLeave: {
      Point screen = host_.clientToScreen(w, pointer_);
      queue(w, WM_NCMOUSEMOVE, HTNOWHERE, makeLParam(screen.x, screen.y));
      break;
    }
    default:
      break;
  }
}

}  // namespace plat::common
