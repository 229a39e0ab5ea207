// The WAV walkers over arbitrary bytes, as a memory image of exactly their length and as a file
// through the PAK layer: both must refuse or answer within the bytes, agree with each other, and
// what they accept must load into a channel of the SOUND module with the promised size.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/sound.h"
#include "audio/sound/sound_channel.h"
#include "audio/sound/sound_state.h"
#include "audio/wav.h"
#include "fuzz/fuzz_support.h"

namespace {

bool ready() {
  fuzz_support::installHeadlessGameDir("wav");
  return sound_module_init() == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool sound = ready();
  // A copy of exactly size bytes, so that any read past the end is caught.
  std::vector<uint8_t> image(data, data + size);
  const uint8_t* p = image.empty() ? reinterpret_cast<const uint8_t*>("") : image.data();
  const uint32_t length = static_cast<uint32_t>(size);
  WAV_FORMAT format{};
  uint32_t offset = 0, remaining = 0, bytes = 0;
  const bool accepted = wav_parse_image(p, length, &offset, &format, &remaining, &bytes) == 0;
  if (accepted) {
    if (offset > size || remaining > size || bytes > 0x80000000u) __builtin_trap();
    if (format.channels == 0 || format.block_align == 0) __builtin_trap();
    (void)wav_duration_ms(bytes, format.avg_bytes_per_sec);
  }

  // The file road answers as the image road does.
  fuzz_support::writeGameFile("fuzz.wav", data, size);
  uint32_t file_bytes = 0;
  const bool file_accepted = wav_get_file_info("fuzz.wav", nullptr, nullptr, nullptr, &file_bytes, nullptr) == 0;
  if (file_accepted != accepted || (accepted && file_bytes != bytes)) __builtin_trap();

  // Both loads give the data chunks in order, exactly the promised bytes.
  WAV_SAMPLE* from_image = wav_load_image(p, length);
  WAV_SAMPLE* from_file = wav_load_file("fuzz.wav");
  if ((from_image != nullptr) != accepted || (from_file != nullptr) != accepted) __builtin_trap();
  if (from_image && from_file) {
    if (from_image->data_size != bytes || from_file->data_size != bytes) __builtin_trap();
    if (bytes && std::memcmp(from_image->pcm(), from_file->pcm(), bytes) != 0) __builtin_trap();
  }
  wav_free(&from_image);
  wav_free(&from_file);

  // Into a channel: the buffer, when the device takes the format, holds the sample's size.
  if (sound && accepted) {
    sound_channel_load_image(0, p, length);
    sound_channel_load_file(1, "fuzz.wav");
    for (int c = 0; c < 2; ++c) {
      const SOUND_CHANNEL_STATE& ch = sound_state().channels[c];
      if (ch.buffer && ch.buffer->bytes() != bytes) __builtin_trap();
      sound_channel_play(c, 0);
    }
    sound_stop_voice(0);
    sound_stop_voice(1);
  }
  return 0;
}
