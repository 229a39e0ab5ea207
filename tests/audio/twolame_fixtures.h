// Layer I and II files for the decoder suites, made at test time: the shared generated source
// encoded by Debian's twolame (layer II) into the build tree, and references decoded by
// ffmpeg's floating-point decoders (mp1float, mp2float) or mpg123.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/audio/lame_fixtures.h"

namespace l12_fixture {

inline const std::string kTwolame = "/usr/bin/twolame";
inline const std::string kMpg123 = "/usr/bin/mpg123";

// <dir>/<name>.mp2, or empty on failure.
inline std::string encode(const std::string& name, int rate, int channels, const std::vector<std::string>& args,
                          double seconds = 3.0) {
  const std::string dir = l3_fixture::fixtureDir();
  const std::string wav = dir + "/" + name + ".src.wav", out = dir + "/" + name + ".mp2";
  if (!l3_fixture::writeFile(wav, l3_fixture::waveFile(l3_fixture::sourcePcm(rate, channels, seconds), rate, channels)))
    return {};
  std::vector<std::string> a = {"--quiet"};
  a.insert(a.end(), args.begin(), args.end());
  a.push_back(wav);
  a.push_back(out);
  return l3_fixture::run(kTwolame, a) ? out : std::string();
}

inline std::vector<float> floatFile(const std::string& path) {
  const std::vector<uint8_t> b = l3_fixture::readFile(path);
  std::vector<float> out(b.size() / 4);
  std::memcpy(out.data(), b.data(), out.size() * 4);
  for (float& f : out) f *= 32768.0f;
  return out;
}

// ffmpeg with the given decoder ("mp1float", "mp2float"), in 16-bit units; empty on failure.
inline std::vector<float> ffmpegDecode(const std::string& file, const std::string& codec) {
  const std::string raw = file + "." + codec + ".f32";
  if (!l3_fixture::run(l3_fixture::kFfmpeg, {"-v", "error", "-y", "-c:a", codec, "-i", file, "-f", "f32le", raw})) return {};
  return floatFile(raw);
}

inline std::vector<float> mpg123Decode(const std::string& file) {
  const std::string raw = file + ".mpg123.f32";
  if (!l3_fixture::run(kMpg123, {"-q", "-e", "f32", "-w", raw, file})) return {};
  // A WAVE file of float samples: take the "data" chunk.
  const std::vector<uint8_t> b = l3_fixture::readFile(raw);
  for (size_t i = 12; i + 8 <= b.size();) {
    const uint32_t n = b[i + 4] | b[i + 5] << 8 | b[i + 6] << 16 | static_cast<uint32_t>(b[i + 7]) << 24;
    if (std::memcmp(b.data() + i, "data", 4) == 0) {
      std::vector<float> out(std::min<size_t>(n, b.size() - i - 8) / 4);
      std::memcpy(out.data(), b.data() + i + 8, out.size() * 4);
      for (float& f : out) f *= 32768.0f;
      return out;
    }
    i += 8 + n + (n & 1);
  }
  return {};
}

}  // namespace l12_fixture
