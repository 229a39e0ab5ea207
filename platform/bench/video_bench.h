// A bare libavformat + libavcodec decode with a libswscale conversion to 565, kept only as the
// yardstick of the film decoder's benchmark (the benchmark may not include libav* itself).
#pragma once
#include <cstdint>
#include <string>

namespace plat::video_bench {

// Decodes every video frame of the host file and converts each to 565 into an 800 x 600 buffer at
// its top-left; returns the number of frames, or -1 when the file cannot be decoded.
int64_t bareDecodeTo565(const std::string& hostPath);

}  // namespace plat::video_bench
