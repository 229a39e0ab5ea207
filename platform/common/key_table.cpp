// The keyboard table. Keys outside it (media keys, the non-US hash key, ...) give no record.
#include "common/key_table.h"

#include <cctype>

namespace plat::common {

namespace {

constexpr KeyInfo kKeys[] = {
    // usage, name, scan, extended, vk, vk with Num Lock off
    {4, "A", 0x1E, false, 'A', 0},
    {5, "B", 0x30, false, 'B', 0},
    {6, "C", 0x2E, false, 'C', 0},
    {7, "D", 0x20, false, 'D', 0},
    {8, "E", 0x12, false, 'E', 0},
    {9, "F", 0x21, false, 'F', 0},
    {10, "G", 0x22, false, 'G', 0},
    {11, "H", 0x23, false, 'H', 0},
    {12, "I", 0x17, false, 'I', 0},
    {13, "J", 0x24, false, 'J', 0},
    {14, "K", 0x25, false, 'K', 0},
    {15, "L", 0x26, false, 'L', 0},
    {16, "M", 0x32, false, 'M', 0},
    {17, "N", 0x31, false, 'N', 0},
    {18, "O", 0x18, false, 'O', 0},
    {19, "P", 0x19, false, 'P', 0},
    {20, "Q", 0x10, false, 'Q', 0},
    {21, "R", 0x13, false, 'R', 0},
    {22, "S", 0x1F, false, 'S', 0},
    {23, "T", 0x14, false, 'T', 0},
    {24, "U", 0x16, false, 'U', 0},
    {25, "V", 0x2F, false, 'V', 0},
    {26, "W", 0x11, false, 'W', 0},
    {27, "X", 0x2D, false, 'X', 0},
    {28, "Y", 0x15, false, 'Y', 0},
    {29, "Z", 0x2C, false, 'Z', 0},
    {30, "1", 0x02, false, '1', 0},
    {31, "2", 0x03, false, '2', 0},
    {32, "3", 0x04, false, '3', 0},
    {33, "4", 0x05, false, '4', 0},
    {34, "5", 0x06, false, '5', 0},
    {35, "6", 0x07, false, '6', 0},
    {36, "7", 0x08, false, '7', 0},
    {37, "8", 0x09, false, '8', 0},
    {38, "9", 0x0A, false, '9', 0},
    {39, "0", 0x0B, false, '0', 0},
    {40, "RETURN", 0x1C, false, 13, 0},
    {41, "ESCAPE", 0x01, false, 27, 0},
    {42, "BACKSPACE", 0x0E, false, 8, 0},
    {43, "TAB", 0x0F, false, 9, 0},
    {44, "SPACE", 0x39, false, 32, 0},
    {45, "MINUS", 0x0C, false, 0xBD, 0},
    {46, "EQUALS", 0x0D, false, 0xBB, 0},
    {47, "LEFTBRACKET", 0x1A, false, 0xDB, 0},
    {48, "RIGHTBRACKET", 0x1B, false, 0xDD, 0},
    {49, "BACKSLASH", 0x2B, false, 0xDC, 0},
    {51, "SEMICOLON", 0x27, false, 0xBA, 0},
    {52, "APOSTROPHE", 0x28, false, 0xDE, 0},
    {53, "GRAVE", 0x29, false, 0xC0, 0},
    {54, "COMMA", 0x33, false, 0xBC, 0},
    {55, "PERIOD", 0x34, false, 0xBE, 0},
    {56, "SLASH", 0x35, false, 0xBF, 0},
    {57, "CAPSLOCK", 0x3A, false, 20, 0},
    {58, "F1", 0x3B, false, 0x70, 0},
    {59, "F2", 0x3C, false, 0x71, 0},
    {60, "F3", 0x3D, false, 0x72, 0},
    {61, "F4", 0x3E, false, 0x73, 0},
    {62, "F5", 0x3F, false, 0x74, 0},
    {63, "F6", 0x40, false, 0x75, 0},
    {64, "F7", 0x41, false, 0x76, 0},
    {65, "F8", 0x42, false, 0x77, 0},
    {66, "F9", 0x43, false, 0x78, 0},
    {67, "F10", 0x44, false, 0x79, 0},
    {68, "F11", 0x57, false, 0x7A, 0},
    {69, "F12", 0x58, false, 0x7B, 0},
    {70, "PRINTSCREEN", 0x37, true, 44, 0},
    {71, "SCROLLLOCK", 0x46, false, 0x91, 0},
    {72, "PAUSE", 0x45, false, 19, 0},
    {73, "INSERT", 0x52, true, 45, 0},
    {74, "HOME", 0x47, true, 36, 0},
    {75, "PAGEUP", 0x49, true, 33, 0},
    {76, "DELETE", 0x53, true, 46, 0},
    {77, "END", 0x4F, true, 35, 0},
    {78, "PAGEDOWN", 0x51, true, 34, 0},
    {79, "RIGHT", 0x4D, true, 39, 0},
    {80, "LEFT", 0x4B, true, 37, 0},
    {81, "DOWN", 0x50, true, 40, 0},
    {82, "UP", 0x48, true, 38, 0},
    {83, "NUMLOCKCLEAR", 0x45, true, 0x90, 0},
    {84, "KP_DIVIDE", 0x35, true, 0x6F, 0},
    {85, "KP_MULTIPLY", 0x37, false, 0x6A, 0},
    {86, "KP_MINUS", 0x4A, false, 0x6D, 0},
    {87, "KP_PLUS", 0x4E, false, 0x6B, 0},
    {88, "KP_ENTER", 0x1C, true, 13, 0},
    {89, "KP_1", 0x4F, false, 0x61, 35},
    {90, "KP_2", 0x50, false, 0x62, 40},
    {91, "KP_3", 0x51, false, 0x63, 34},
    {92, "KP_4", 0x4B, false, 0x64, 37},
    {93, "KP_5", 0x4C, false, 0x65, 0x0C},
    {94, "KP_6", 0x4D, false, 0x66, 39},
    {95, "KP_7", 0x47, false, 0x67, 36},
    {96, "KP_8", 0x48, false, 0x68, 38},
    {97, "KP_9", 0x49, false, 0x69, 33},
    {98, "KP_0", 0x52, false, 0x60, 45},
    {99, "KP_PERIOD", 0x53, false, 0x6E, 46},
    {100, "NONUSBACKSLASH", 0x56, false, 0xE2, 0},
    {101, "APPLICATION", 0x5D, true, 0x5D, 0},
    {224, "LCTRL", 0x1D, false, 17, 0},
    {225, "LSHIFT", 0x2A, false, 16, 0},
    {226, "LALT", 0x38, false, 18, 0},
    {227, "LGUI", 0x5B, true, 0x5B, 0},
    {228, "RCTRL", 0x1D, true, 17, 0},
    {229, "RSHIFT", 0x36, false, 16, 0},
    {230, "RALT", 0x38, true, 18, 0},
    {231, "RGUI", 0x5C, true, 0x5C, 0},
};

bool sameName(std::string_view a, const char* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == '\0') return false;
    if (std::toupper(static_cast<unsigned char>(a[i])) != static_cast<unsigned char>(b[i])) return false;
  }
  return b[i] == '\0';
}

}  // namespace

const KeyInfo* keyByUsage(uint16_t usage) {
  for (const KeyInfo& k : kKeys)
    if (k.usage == usage) return &k;
  return nullptr;
}

const KeyInfo* keyByName(std::string_view name) {
  constexpr std::string_view kPrefix = "SDL_SCANCODE_";
  if (name.size() > kPrefix.size() && sameName(name.substr(0, kPrefix.size()), "SDL_SCANCODE_"))
    name.remove_prefix(kPrefix.size());
  for (const KeyInfo& k : kKeys)
    if (sameName(name, k.name)) return &k;
  return nullptr;
}

}  // namespace plat::common
