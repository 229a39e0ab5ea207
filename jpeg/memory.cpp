// The codec's one allocation path: tests swap the hook to fail each allocation in turn.
#include <atomic>
#include <new>

#include "jpeg/internal.h"

namespace {

void* default_alloc(size_t size, size_t align, void*) {
  return ::operator new(size, std::align_val_t(align), std::nothrow);
}
void default_release(void* p, void*) { ::operator delete(p, std::align_val_t(32)); }

const JpegAllocHooks kDefaultHooks{default_alloc, default_release, nullptr};
std::atomic<const JpegAllocHooks*> g_hooks{&kDefaultHooks};

}  // namespace

void jpeg_set_alloc_hooks(const JpegAllocHooks* hooks) { g_hooks.store(hooks ? hooks : &kDefaultHooks); }

namespace jcodec {

void* alloc(size_t size, size_t align) {
  if (size == 0 || size > kMemoryCap) return nullptr;
  // Every block is at least 32-byte aligned so that one release path fits all.
  align = 32;
  const JpegAllocHooks* h = g_hooks.load();
  return h->alloc(size, align, h->ctx);
}

void release(void* p) {
  if (!p) return;
  const JpegAllocHooks* h = g_hooks.load();
  h->release(p, h->ctx);
}

}  // namespace jcodec
