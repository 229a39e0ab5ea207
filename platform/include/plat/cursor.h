// Mouse cursors: the arrow, cursors read from Windows ".cur" and ".ani" files, which one shows,
// and the pointer's position in the main window's client coordinates. Main thread only.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plat/types.h"

namespace plat {

using CursorId = uint32_t;  // 0 = no cursor

struct ICursorSystem {
  virtual ~ICursorSystem() = default;
  // The standard arrow; the same handle every time.
  virtual CursorId arrow() = 0;
  // A ".cur" or ".ani" file through the path resolver; 0 when it cannot be read or is malformed
  // (a debug line says why).
  virtual CursorId loadFile(std::string_view gamePathCp936) = 0;
  // The cursor shown over our windows; 0 or an unknown handle is ignored.
  virtual void set(CursorId id) = 0;
  // Sets visibility directly (no display counter: the client only ever shows).
  virtual void show(bool on) = 0;
  // The pointer in the main window's client coordinates (800 x 600 space).
  virtual Point position() = 0;
  // Moves the pointer to a client point of the main window; a no-op where the desktop forbids it.
  virtual void setPosition(Point client) = 0;
  virtual void free(CursorId id) = 0;
};

// ---- Windows cursor files -------------------------------------------------------------------

// One picture: width x height pixels, 0xAARRGGBB, rows top-down; the hot spot in pixels.
struct CursorFrame {
  int32_t width = 0, height = 0;
  Point hotSpot;
  std::vector<uint32_t> argb;
};

// A cursor file's content: its pictures, and the steps in which they show, each for
// jiffies / 60 seconds. A ".cur" file gives one frame and one step.
struct CursorImage {
  std::vector<CursorFrame> frames;
  std::vector<uint32_t> stepFrames;   // frame index of each step
  std::vector<uint32_t> stepJiffies;  // duration of each step, 1/60 s
};

// Reads a ".cur" (icon directory, 1/4/8/32-bit images with AND masks) or a RIFF "ACON" file.
// Never throws; nullopt with the reason in why when the bytes are not a usable cursor.
std::optional<CursorImage> parseCursorFile(std::span<const uint8_t> bytes, std::string* why = nullptr);

// Bounds of what the reader accepts.
constexpr int32_t kCursorMaxSide = 256;
constexpr uint32_t kCursorMaxFrames = 256;
constexpr uint32_t kCursorMaxSteps = 1024;

}  // namespace plat
