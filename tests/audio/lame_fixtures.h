// Layer III files for the decoder suites, made at test time: a generated source (tones, a
// sweep, noise bursts, silence and a passage at -1 dBFS) written as WAVE and encoded by Debian's
// lame into the build tree.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "tests/audio/wav_builder.h"
#include "tests/support/child_process.h"

namespace l3_fixture {

inline bool haveTool(const std::string& path) { return std::filesystem::exists(path); }
inline const std::string kLame = "/usr/bin/lame";
inline const std::string kFfmpeg = "/usr/bin/ffmpeg";

inline std::string fixtureDir() {
  const std::string dir = MPA_FIXTURE_DIR;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return dir;
}

// Runs a program to its end (stopped by its process id after the time-out): true on exit 0.
inline bool run(const std::string& program, const std::vector<std::string>& args, int timeoutMs = 60000) {
  const int pid = veldra_test::startProcess(program, args, {}, fixtureDir() + "/last_stderr.txt");
  if (pid < 0) return false;
  const auto rc = veldra_test::waitProcess(pid, timeoutMs);
  if (!rc) {
    veldra_test::stopProcess(pid);
    return false;
  }
  return *rc == 0;
}

inline std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// Interleaved 16-bit source of `seconds` at `rate`.
inline std::vector<int16_t> sourcePcm(int rate, int channels, double seconds = 3.0) {
  const double pi = std::numbers::pi;
  const int n = static_cast<int>(seconds * rate);
  std::vector<int16_t> pcm(static_cast<size_t>(n * channels));
  std::mt19937 rng(1234);
  std::uniform_real_distribution<double> noise(-1.0, 1.0);
  const double top = 0.45 * rate;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    for (int c = 0; c < channels; ++c) {
      double v = 0;
      if (t < 0.6) {  // tones, a different pair per channel
        v = 0.25 * std::sin(2 * pi * (440 + 110 * c) * t) + 0.1 * std::sin(2 * pi * (1000 + 730 * c) * t);
      } else if (t < 1.2) {  // logarithmic sweep up to near the top of the band
        const double u = (t - 0.6) / 0.6;
        v = 0.3 * std::sin(2 * pi * 50 * 0.6 / std::log(top / 50) * (std::pow(top / 50, u) - 1) + c * 0.7);
      } else if (t < 1.8) {  // noise bursts of 50 ms
        v = (static_cast<int>((t - 1.2) / 0.05) % 2 == 0) ? 0.18 * noise(rng) : 0.0;
      } else if (t < 2.1) {
        v = 0.0;
      } else {  // a loud chord peaking near -1 dBFS
        v = 0.891 * (0.5 * std::sin(2 * pi * 220 * t + c) + 0.3 * std::sin(2 * pi * 330 * t) + 0.2 * std::sin(2 * pi * 3300 * t));
      }
      pcm[static_cast<size_t>(i * channels + c)] = static_cast<int16_t>(std::lround(v * 32767.0));
    }
  }
  return pcm;
}

inline std::vector<uint8_t> waveFile(const std::vector<int16_t>& pcm, int rate, int channels) {
  std::vector<uint8_t> data(pcm.size() * 2);
  for (size_t i = 0; i < pcm.size(); ++i) {
    data[2 * i] = static_cast<uint8_t>(pcm[i] & 0xFF);
    data[2 * i + 1] = static_cast<uint8_t>((static_cast<uint16_t>(pcm[i]) >> 8) & 0xFF);
  }
  const uint16_t align = static_cast<uint16_t>(2 * channels);
  return wav_test::riffWave({{"fmt ", wav_test::fmtPayload(static_cast<uint16_t>(channels), static_cast<uint32_t>(rate),
                                                           static_cast<uint32_t>(rate) * align, align, 16)},
                             {"data", data}});
}

// Encodes the source with lame (no info frame, so every decoder starts at the first frame) into
// <dir>/<name>.mp3; the path, or empty on failure.
inline std::string encode(const std::string& name, int rate, int channels, const std::vector<std::string>& lameArgs,
                          double seconds = 3.0) {
  const std::string dir = fixtureDir();
  const std::string wav = dir + "/" + name + ".src.wav", mp3 = dir + "/" + name + ".mp3";
  if (!writeFile(wav, waveFile(sourcePcm(rate, channels, seconds), rate, channels))) return {};
  std::vector<std::string> args = {"-t", "--quiet"};
  args.insert(args.end(), lameArgs.begin(), lameArgs.end());
  args.push_back(wav);
  args.push_back(mp3);
  return run(kLame, args) ? mp3 : std::string();
}

}  // namespace l3_fixture
