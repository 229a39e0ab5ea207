// tier0 stand-in: allocation, the clock and the fatal-error road.
#include "plat/tier0.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "plat/platform.h"
#include "plat/winmsg.h"

namespace plat::tier0 {

namespace {
std::atomic<SpewOutputFunc> spewHandler{nullptr};
}

void* alloc(size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) error("Plat_Alloc: out of memory (%zu bytes)", n);
  return p;
}

void* realloc(void* p, size_t n) {
  // A size of 0 keeps a valid block, so a null result always means memory ran out.
  void* q = std::realloc(p, n ? n : 1);
  if (!q) error("Plat_Realloc: out of memory (%zu bytes)", n);
  return q;
}

void free(void* p) { std::free(p); }

uint32_t msTime() { return plat::get().clock().ms(); }

double floatTime() { return plat::get().clock().seconds(); }

void error(const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (n < 0) text[0] = '\0';

  if (SpewOutputFunc fn = spewHandler.load()) {
    fn(SPEW_ERROR, text);
  } else if (plat::installed()) {
    // Reached before the client installs its handler (the file-system binding): show and end.
    plat::get().messageBox().show(kNoWindow, text, "Error", MB_ICONHAND);
  }
  // Every fatal end reads the same to scripts: -1, seen as 255.
  if (plat::installed()) plat::get().process().exit(-1);
  std::fprintf(stderr, "Error: %s\n", text);
  std::_Exit(255);
}

void setSpewOutputFunc(SpewOutputFunc fn) { spewHandler.store(fn); }

SpewOutputFunc spewOutputFunc() { return spewHandler.load(); }

}  // namespace plat::tier0
