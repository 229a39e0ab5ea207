// mpawrite OUT [--seconds S] [--stereo] [--rate 44100|48000|32000] [--bitrate-index N] [--system] [--riff]
//              [--id3v1] [--id3v2 BYTES] [--junk BYTES]
//              [--packet BYTES] [--foreign] [--pack-every] [--stuffing N] [--buffer-field]
//              [--stamps 0|1|2] [--bad-packet K] [--unlisted] [--header-length N]
// Writes a layer I tune (a 1 kHz-ish tone in sub-band 1, a quieter one in sub-band 5), then
// wraps it as asked. The options after --junk shape the system stream (they imply --system).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/mpawrite/mpawrite.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mpawrite OUT [--seconds S] [--stereo] [--rate HZ] [--bitrate-index N] [--system] [--riff] "
                         "[--id3v1] [--id3v2 BYTES] [--junk BYTES] [--packet BYTES] [--foreign] [--pack-every] "
                         "[--stuffing N] [--buffer-field] [--stamps 0|1|2] [--bad-packet K] [--unlisted] "
                         "[--header-length N]\n");
    return 2;
  }
  mpawrite::Layer1Params p;
  double seconds = 2.0;
  bool system = false, riff = false, v1 = false;
  mpawrite::SystemOptions so;
  long v2 = -1, junkBytes = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : "0";
    if (a == "--seconds") seconds = std::atof(next), ++i;
    else if (a == "--stereo") p.mode = 0;
    else if (a == "--rate") p.rateIndex = std::atoi(next) == 48000 ? 1 : std::atoi(next) == 32000 ? 2 : 0, ++i;
    else if (a == "--bitrate-index") p.bitrateIndex = std::atoi(next), ++i;
    else if (a == "--system") system = true;
    else if (a == "--riff") riff = true;
    else if (a == "--id3v1") v1 = true;
    else if (a == "--id3v2") v2 = std::atol(next), ++i;
    else if (a == "--junk") junkBytes = std::atol(next), ++i;
    else if (a == "--packet") so.packetPayload = std::atoi(next), system = true, ++i;
    else if (a == "--foreign") so.foreignPackets = system = true;
    else if (a == "--pack-every") so.packEveryPacket = system = true;
    else if (a == "--stuffing") so.stuffing = std::atoi(next), system = true, ++i;
    else if (a == "--buffer-field") so.bufferField = system = true;
    else if (a == "--stamps") so.timeStamps = std::atoi(next), system = true, ++i;
    else if (a == "--bad-packet") so.badPacketAt = std::atoi(next), system = true, ++i;
    else if (a == "--unlisted") so.listAudioInHeader = false, system = true;
    else if (a == "--header-length") so.shortHeaderLength = std::atoi(next), system = true, ++i;
    else {
      std::fprintf(stderr, "mpawrite: unknown option %s\n", a.c_str());
      return 2;
    }
  }
  if (p.mode == 0) p.allocation = 3, p.subbands = 16;
  const int rate = p.rateIndex == 1 ? 48000 : p.rateIndex == 2 ? 32000 : 44100;
  const int frames = static_cast<int>(seconds * rate / 384);
  mpawrite::Bytes audio;
  static float s[2][12][32];
  for (int f = 0; f < frames; ++f) {
    for (int t = 0; t < 12; ++t) {
      const double n = f * 12 + t;
      for (int ch = 0; ch < 2; ++ch) {
        std::memset(s[ch][t], 0, sizeof s[ch][t]);
        s[ch][t][1] = static_cast<float>(0.5 * std::sin(n * 0.3 + ch));
        s[ch][t][5] = static_cast<float>(0.1 * std::cos(n * 0.7));
      }
    }
    p.padding = mpawrite::layer1_padding(p, f);
    const auto frame = mpawrite::layer1_frame(p, s);
    audio.insert(audio.end(), frame.begin(), frame.end());
  }
  if (system) audio = mpawrite::system_stream(audio, so);
  if (riff) audio = mpawrite::riff_wrap(audio);
  if (v1) audio = mpawrite::id3v1_trailer(audio);
  if (v2 >= 0) audio = mpawrite::id3v2_head(audio, static_cast<uint32_t>(v2));
  if (junkBytes > 0) {
    const auto j = mpawrite::junk(static_cast<size_t>(junkBytes));
    audio = mpawrite::concat({&j, &audio});
  }
  if (!mpawrite::write_file(argv[1], audio)) {
    std::fprintf(stderr, "mpawrite: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
