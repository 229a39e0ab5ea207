// mpa2wav IN OUT.wav | mpa2wav --null IN
// Decodes IN (bare MPEG audio, tagged, in RIFF or in an MPEG-1 system stream) into a 16-bit PCM
// WAVE file; --null decodes it all and keeps nothing.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/decode/audio_decoder.h"
#include "plat/headless.h"
#include "plat/platform.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: mpa2wav IN OUT.wav\n       mpa2wav --null IN\n");
  return 2;
}

// The front end opens game paths; the game folder is the file system's root, so absolute host
// paths name the files.
std::string game_path(const std::string& host) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(host, ec);
  return ec ? host : p.lexically_normal().string();
}

int decode_to_nothing(const std::string& in) {
  AUDIO_DECODER* d = audio_open_decoder(in.c_str());
  if (d == nullptr) return 1;
  std::vector<uint8_t> block(4608 * 16);
  while (audio_read_pcm(d, block.data(), static_cast<uint32_t>(block.size())) > 0) {
  }
  audio_close_decoder(d);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  bool discard = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--null") discard = true;
    else if (!a.empty() && a[0] != '-') files.push_back(a);
    else return usage();
  }
  if (files.size() != (discard ? 1u : 2u)) return usage();
  plat::HeadlessOptions o;
  o.gameDir = std::filesystem::path("/").root_directory().string();  // the whole machine: host paths name the files
  o.watchdog = false;
  o.audioDevice = false;
  plat::installHeadless(o);
  const std::string in = game_path(files[0]);
  const int rc = discard ? decode_to_nothing(in) : (audio_decode_to_wave_file(in.c_str(), game_path(files[1]).c_str()) == 0 ? 0 : 1);
  if (rc != 0) std::fprintf(stderr, "mpa2wav: cannot decode %s\n", files[0].c_str());
  // The log never opens here: the platform's exit hands its lines (why a file failed) to stderr.
  std::fflush(stdout);
  plat::get().process().exit(rc);
}
