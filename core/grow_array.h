// GrowArray<T>: the client's one container, a contiguous array of plain elements that grows on
// insert. Memory comes from tier0. Owners read and write elements in place through data and
// count; there is no checked accessor.
#pragma once
#include <cassert>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "plat/tier0.h"

template <typename T>
struct GrowArray {
  // Elements are moved with block moves and never constructed or destroyed.
  static_assert(std::is_trivially_copyable_v<T>, "GrowArray holds trivially copyable elements only");

  // Step -1 marks memory supplied by the owner: never grown, never freed.
  static constexpr int32_t kOutsideMemory = -1;

  T* data = nullptr;
  int32_t allocated = 0;
  int32_t step = 0;  // 0 doubles on growth, n > 0 adds n elements
  int32_t count = 0;
  T* data_copy = nullptr;  // refreshed by insert and free; nothing reads it

  // Elements the first block holds: about 32 bytes and at least one element.
  static constexpr int32_t first_allocation() { return static_cast<int32_t>((31 + sizeof(T)) / sizeof(T)); }

  GrowArray() = default;
  GrowArray(int32_t grow_step, int32_t initial) : allocated(initial), step(grow_step) {
    if (initial > 0 && grow_step != kOutsideMemory) {
      data = static_cast<T*>(plat::tier0::alloc(bytes(initial)));
    } else if (grow_step == kOutsideMemory) {
      allocated = 0;  // no memory yet: the owner hands it over with wrap()
    }
    data_copy = data;
  }
  // An array over memory the owner keeps.
  static GrowArray wrap(T* memory, int32_t capacity) {
    GrowArray a;
    a.data = memory;
    a.allocated = memory ? capacity : 0;
    a.step = kOutsideMemory;
    a.data_copy = memory;
    return a;
  }

  GrowArray(const GrowArray&) = delete;
  GrowArray& operator=(const GrowArray&) = delete;
  GrowArray(GrowArray&& o) noexcept { take(o); }
  GrowArray& operator=(GrowArray&& o) noexcept {
    if (this != &o) {
      free();
      take(o);
    }
    return *this;
  }
  ~GrowArray() { free(); }

  // Makes room for n elements beyond the current allocation.
  void grow(int32_t n) {
    if (step == kOutsideMemory) return;
    const int64_t target = static_cast<int64_t>(allocated) + n;
    int64_t next = allocated;
    while (next < target) {
      if (next == 0) {
        next = first_allocation();
      } else if (step > 0) {
        next += step;
      } else {
        next *= 2;
      }
    }
    if (next == allocated && data) return;
    allocated = static_cast<int32_t>(next);
    if (!data) {
      data = static_cast<T*>(plat::tier0::alloc(bytes(allocated)));
    } else {
      data = static_cast<T*>(plat::tier0::realloc(data, bytes(allocated)));
    }
  }

  // Inserts a copy at index 0..count (count appends); returns the index. Refused with -1 and
  // nothing written for an index outside 0..count or a full array over outside memory: the
  // original wrote past the owner's block in both cases.
  int32_t insert(int32_t index, const T& element) {
    if (index < 0 || index > count) {
      assert(!"GrowArray::insert: index outside 0..count");
      return -1;
    }
    const T copy = element;  // the element may live inside this array's block, which may move
    if (count >= allocated) {
      if (step == kOutsideMemory) {
        assert(!"GrowArray::insert: outside memory is full");
        return -1;
      }
      grow(count - allocated + 1);
    }
    ++count;
    data_copy = data;
    if (count - index - 1 > 0) {
      std::memmove(static_cast<void*>(data + index + 1), static_cast<const void*>(data + index),
                   bytes(count - index - 1));
    }
    std::memcpy(static_cast<void*>(data + index), static_cast<const void*>(&copy), sizeof(T));
    return index;
  }
  int32_t append(const T& element) { return insert(count, element); }

  // Removes the element at index 0..count-1. An index outside that range (an empty array
  // included) is refused with -1 and changes nothing.
  int32_t remove(int32_t index) {
    if (index < 0 || index >= count) {
      assert((count == 0 || !"GrowArray::remove: index outside 0..count-1"));
      return -1;
    }
    if (count - index - 1 > 0) {
      std::memmove(static_cast<void*>(data + index), static_cast<const void*>(data + index + 1),
                   bytes(count - index - 1));
    }
    --count;
    return 0;
  }

  // Removes n elements from first on, clamped to the elements present (the original lowered
  // count below zero for a range past the end). A negative first is refused.
  int32_t remove_range(int32_t first, int32_t n) {
    if (first < 0) {
      assert(!"GrowArray::remove_range: negative first");
      return -1;
    }
    if (n <= 0 || first >= count) return 0;
    if (n > count - first) n = count - first;
    if (count - first - n >= 1) {
      std::memmove(static_cast<void*>(data + first), static_cast<const void*>(data + first + n),
                   bytes(count - first - n));
    }
    count -= n;
    return 0;
  }

  // Empties the array and releases its memory; outside memory is left to its owner. Running it
  // twice changes nothing the second time.
  void free() {
    count = 0;
    if (step != kOutsideMemory) {
      if (data) plat::tier0::free(data);
      data = nullptr;
      allocated = 0;
    }
    data_copy = data;
  }

  T* begin() { return data; }
  T* end() { return data + count; }
  const T* begin() const { return data; }
  const T* end() const { return data + count; }
  T& operator[](int32_t i) { return data[i]; }
  const T& operator[](int32_t i) const { return data[i]; }

 private:
  static size_t bytes(int64_t n) { return static_cast<size_t>(n) * sizeof(T); }
  void take(GrowArray& o) {
    data = std::exchange(o.data, nullptr);
    allocated = std::exchange(o.allocated, 0);
    step = std::exchange(o.step, 0);
    count = std::exchange(o.count, 0);
    data_copy = data;
    o.data_copy = nullptr;
  }
};
