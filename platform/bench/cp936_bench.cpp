// The benchmark's iconv yardstick (see cp936_bench.h).
#include "bench/cp936_bench.h"

#include <iconv.h>

#include <mutex>

namespace plat::cp936::detail {

size_t iconvDecodeForBench(std::string_view bytes, std::u16string& out) {
  static std::mutex m;
  static iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  std::lock_guard lock(m);
  out.resize(bytes.size());
  char* ip = const_cast<char*>(bytes.data());
  char* op = reinterpret_cast<char*>(out.data());
  size_t il = bytes.size(), ol = out.size() * sizeof(char16_t);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) return 0;
  size_t units = out.size() - ol / sizeof(char16_t);
  out.resize(units);
  return units;
}

}  // namespace plat::cp936::detail
