// A direct glibc iconv decode, kept only as the yardstick of the code page 936 benchmark (the
// benchmark may not include iconv.h itself).
#pragma once
#include <string>
#include <string_view>

namespace plat::cp936::detail {

// Decodes code page 936 bytes to UTF-16 with one iconv call on a converter opened once; returns
// the number of code units written, or 0 when iconv fails.
size_t iconvDecodeForBench(std::string_view bytes, std::u16string& out);

}  // namespace plat::cp936::detail
