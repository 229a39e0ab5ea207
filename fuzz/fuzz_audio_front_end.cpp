// The decode front end over arbitrary file contents: both start rules open or refuse without
// reading outside the file, every read gives bytes or a negative end code (never 0), and the
// converter's WAVE file holds exactly the PCM the reads gave, its sizes patched to match.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "audio/decode/audio_decoder.h"
#include "audio/decode/audio_decoder_chain.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr int kMaxReads = 4096;  // a few seconds of audio at most: keeps one input quick

// The PCM to the end; `ended` is false when the read limit came first.
std::vector<uint8_t> read_all(AUDIO_DECODER* d, bool& ended) {
  std::vector<uint8_t> pcm;
  ended = false;
  uint8_t block[4608];
  for (int i = 0; i < kMaxReads; ++i) {
    const int32_t n = audio_read_pcm(d, block, sizeof block);
    if (n == 0 || n > static_cast<int32_t>(sizeof block)) __builtin_trap();
    if (n < 0) {
      ended = true;
      return pcm;
    }
    pcm.insert(pcm.end(), block, block + n);
  }
  return pcm;
}

uint32_t le32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (fuzz_support::installHeadlessGameDir("front"), true);
  (void)ready;
  fuzz_support::writeGameFile("tune.mp3", data, size);
  std::vector<uint8_t> strict;
  bool strictEnded = false;
  for (AudioStartRule rule : {AudioStartRule::FrontEnd, AudioStartRule::Music}) {
    AUDIO_DECODER* d = audio_open_decoder_with("tune.mp3", rule);
    if (d == nullptr) continue;
    const WAV_FORMAT* f = audio_get_wave_format(d);
    if (f == nullptr || f->block_align != 2 * f->channels || f->bits_per_sample != 16) __builtin_trap();
    bool ended = false;
    const std::vector<uint8_t> pcm = read_all(d, ended);
    if (pcm.size() % f->block_align != 0) __builtin_trap();
    audio_close_decoder(d);
    if (rule == AudioStartRule::FrontEnd) {
      strict = pcm;
      strictEnded = ended;
    }
  }
  // The converter: only for tunes short enough to be read whole above.
  if (strictEnded) {
    if (audio_decode_to_wave_file("tune.mp3", "out.wav") != 0) __builtin_trap();
    const std::string w = fuzz_support::readGameFile("out.wav");
    if (w.size() != 44 + strict.size()) __builtin_trap();
    if (le32(w, 4) != w.size() - 8 || le32(w, 40) != strict.size()) __builtin_trap();
    if (!strict.empty() && std::memcmp(w.data() + 44, strict.data(), strict.size()) != 0) __builtin_trap();
  }
  return 0;
}
