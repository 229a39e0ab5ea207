// Name compares of the media tables: ASCII letters folded, every other byte (code page 936 lead
// and trail bytes included) compared as it is. Stored names sit in fixed fields that a file may
// fill without a terminating NUL.
#pragma once
#include <cstddef>
#include <cstdint>

inline uint8_t mda_fold(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c; }

// The stored field of n bytes equals the query (a C string), letters folded.
inline bool mda_name_equal(const char* stored, size_t n, const char* query) {
  for (size_t i = 0; i < n; ++i) {
    const auto s = static_cast<uint8_t>(stored[i]), q = static_cast<uint8_t>(query[i]);
    if (mda_fold(s) != mda_fold(q)) return false;
    if (s == 0) return true;
  }
  return query[n] == 0;
}

// Two stored fields of n bytes hold the same name, letters folded.
inline bool mda_field_equal(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<uint8_t>(a[i]), y = static_cast<uint8_t>(b[i]);
    if (mda_fold(x) != mda_fold(y)) return false;
    if (x == 0) return true;
  }
  return true;
}

// FNV-1a of the folded bytes up to the first NUL or n bytes.
inline uint32_t mda_name_hash(const char* s, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n && s[i]; ++i) h = (h ^ mda_fold(static_cast<uint8_t>(s[i]))) * 16777619u;
  return h;
}

// A query longer than the field can match no stored name.
inline bool mda_query_fits(const char* query, size_t n) {
  for (size_t i = 0; i <= n; ++i) {
    if (query[i] == 0) return true;
  }
  return false;
}
