// The 800 x 600 screen on SDL2: one renderer, one streaming texture, nearest-pixel scaling.
#include <algorithm>
#include <cstdio>

#include "common/pixel_family.h"
#include "sdl/sdl_impl.h"

namespace plat::sdl {

namespace {

Uint32 textureFormat(PixelFamily f) {
  switch (f) {
    case PixelFamily::Rgb555: return SDL_PIXELFORMAT_RGB555;
    case PixelFamily::Rgb444: return SDL_PIXELFORMAT_RGB444;
    default: return SDL_PIXELFORMAT_RGB565;  // 655 and 556 are converted to it
  }
}

}  // namespace

bool SdlDisplay::open(WindowId w, bool fullscreen, PixelFamily family) {
  close();
  SDL_Window* win = p_.sdlWindows().sdlWindow(w);
  if (!win) return false;
  window_ = w;
  family_ = family;
  masks_ = masksOf(family);
  frame_.assign(static_cast<size_t>(kWidth) * kHeight, 0);
  // No vsync: the game's frame step paces itself.
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  renderer_ = SDL_CreateRenderer(win, -1, SDL_RENDERER_ACCELERATED);
  if (!renderer_) {
    common::debugOutToStderr(std::string("accelerated renderer unavailable, software instead: ") + SDL_GetError());
    renderer_ = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!renderer_) {
    note(std::string("no renderer: ") + SDL_GetError());
    window_ = kNoWindow;
    return false;
  }
  SDL_RenderSetLogicalSize(renderer_, kWidth, kHeight);
  if (!makeTexture()) {
    note(std::string("no screen texture: ") + SDL_GetError());
    close();
    return false;
  }
  fullscreen_ = (SDL_GetWindowFlags(win) & SDL_WINDOW_FULLSCREEN) != 0;
  if (fullscreen != fullscreen_) setFullscreen(fullscreen);
  draw();  // black until the first frame
  return true;
}

bool SdlDisplay::makeTexture() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = SDL_CreateTexture(renderer_, textureFormat(family_), SDL_TEXTUREACCESS_STREAMING, kWidth, kHeight);
  if (!texture_) return false;
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  return upload(0, kHeight);
}

bool SdlDisplay::upload(int firstRow, int rows) {
  if (rows <= 0) return true;
  SDL_Rect r{0, firstRow, kWidth, rows};
  return SDL_UpdateTexture(texture_, &r, frame_.data() + static_cast<size_t>(firstRow) * kWidth, kWidth * 2) == 0;
}

void SdlDisplay::draw() {
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
  SDL_RenderPresent(renderer_);
}

bool SdlDisplay::present(const uint16_t* px, int pitchBytes, int firstRow, int rows) {
  if (!renderer_ || firstRow < 0 || rows < 0 || firstRow > kHeight || rows > kHeight - firstRow) return false;
  if (rows > 0 && (!px || pitchBytes < kWidth * 2 || pitchBytes % 2 != 0)) return false;
  if (p_.sdlWindows().isMinimised(window_)) return true;  // nothing is drawn while minimised
  const size_t stride = static_cast<size_t>(pitchBytes) / 2;
  for (int y = firstRow; y < firstRow + rows; ++y)
    common::rowTo565(family_, px + stride * static_cast<size_t>(y), frame_.data() + static_cast<size_t>(y) * kWidth,
                     kWidth);
  // A lost device shows as a failed update: make the texture again from the kept frame.
  if (!upload(firstRow, rows) && !makeTexture()) {
    note(std::string("screen texture lost: ") + SDL_GetError());
    return true;
  }
  draw();
  return true;
}

bool SdlDisplay::setFullscreen(bool on) {
  SDL_Window* win = p_.sdlWindows().sdlWindow(window_);
  if (!win) return false;
  if (SDL_SetWindowFullscreen(win, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    note(std::string("full screen failed, staying windowed: ") + SDL_GetError());
    SDL_SetWindowFullscreen(win, 0);
    fullscreen_ = false;
    return !on;
  }
  fullscreen_ = on;
  return true;
}

void SdlDisplay::recover() {
  if (!renderer_) return;
  if (!makeTexture()) note(std::string("screen texture could not be made again: ") + SDL_GetError());
}

void SdlDisplay::close() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  if (renderer_) SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
  window_ = kNoWindow;
  fullscreen_ = false;
}

}  // namespace plat::sdl
