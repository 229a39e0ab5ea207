// The keyboard table: the backend's key (a USB HID usage, which is what SDL's scan codes are) to
// the PC keyboard's set-1 scan byte, the extended flag and the Windows virtual-key code.
#pragma once
#include <cstdint>
#include <string_view>

namespace plat::common {

struct KeyInfo {
  uint16_t usage;     // USB HID keyboard usage (SDL_Scancode value)
  const char* name;   // the SDL_SCANCODE_ suffix, as event scripts write it
  uint8_t scan;       // set-1 scan byte
  bool extended;      // arrives behind the 0xE0 prefix: lParam bit 24
  uint8_t vk;         // virtual key (for the keypad: with Num Lock on)
  uint8_t vkNumOff;   // the keypad's virtual key with Num Lock off; 0 = same as vk
};

// nullptr for a key outside the table (it produces no record).
const KeyInfo* keyByUsage(uint16_t usage);
// Case-insensitive; an "SDL_SCANCODE_" prefix is allowed. nullptr when unknown.
const KeyInfo* keyByName(std::string_view name);

// Usages the translator treats specially.
constexpr uint16_t kUsageLeftCtrl = 224, kUsageLeftShift = 225, kUsageLeftAlt = 226, kUsageRightCtrl = 228,
                   kUsageRightShift = 229, kUsageRightAlt = 230, kUsageNumLock = 83, kUsageCapsLock = 57,
                   kUsageScrollLock = 71, kUsagePrintScreen = 70;
constexpr uint16_t kUsageLetterA = 4, kUsageLetterZ = 29;

}  // namespace plat::common
