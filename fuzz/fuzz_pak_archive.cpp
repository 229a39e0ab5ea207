// Archive bytes -> open, then every entry (up to 64) read with seeded random seeks. Any input
// must give clean failures: no out-of-bounds access, no uninitialised bytes, no hang.
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "core/pak/pak.h"
#include "core/pak/pak_internal.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz_support::installHeadlessGameDir("pak"), true);
  (void)ready;
  fuzz_support::writeGameFile("fuzz.pak", data, size);
  pak_reset();
  PAK_ARCHIVE* archive = pak_open_archive("fuzz.pak");
  if (!archive) return 0;
  static std::vector<uint8_t> buf(300000);
  uint32_t seed = 2166136261u;
  for (size_t i = 0; i < size && i < 64; ++i) seed = (seed ^ data[i]) * 16777619u;
  std::minstd_rand gen(seed | 1);
  std::vector<PAK_FILE*> open;
  const size_t entries = archive->entries.size() < 64 ? archive->entries.size() : 64;
  for (size_t i = 0; i < entries; ++i) {
    PAK_FILE* f = pak_open_entry(archive, i);
    if (f) open.push_back(f);
  }
  // Interleaved reads over every open entry share the eight cache slots.
  for (int step = 0; step < 24 && !open.empty(); ++step) {
    PAK_FILE* f = open[gen() % open.size()];
    const long size = pak_fsize(f);
    pak_fseek(f, static_cast<long>(gen() % static_cast<uint32_t>(2 * size + 3)) - size - 1, static_cast<int>(gen() % 4));
    const size_t want = gen() % 4 == 0 ? buf.size() : gen() % 70001;
    const size_t n = pak_fread(buf.data(), 1, want, f);
    if (n > want || n > static_cast<size_t>(size)) __builtin_trap();
    // Touch the copied bytes so that MSan/ASan see every one of them.
    volatile uint8_t sink = 0;
    for (size_t k = 0; k < n; k += 4096) sink = sink ^ buf[k];
    const long at = pak_ftell(f);
    if (at < 0 || (size > 0 && at > size) || (size == 0 && at != 0)) __builtin_trap();
  }
  PAK_FILE* byName = pak_fopen("system\\head.mda", "rb");
  if (byName) pak_fread(buf.data(), 1, 100, byName);
  pak_fclose(byName);
  for (PAK_FILE* f : open) pak_fclose(f);
  pak_close_archive(archive);
  return 0;
}
