#include <algorithm>
#include <cstring>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

int64_t l3_main_data_bytes(const FrameHeader& h) {
  const int rate = header_sample_rate(h);
  if (rate <= 0) return 0;
  const int64_t perKbit = h.version == kMpeg1 ? 144000 : 72000;
  const int64_t n = perKbit * header_bitrate_kbps(h) / rate - 4 + h.padding - (h.crc ? 2 : 0) - l3_side_info_bytes(h);
  return std::max<int64_t>(0, n);
}

void l3_take_main_data(Layer3State& st, const FrameHeader& h, BitReader& frame, int mainDataBegin) {
  uint8_t* res = st.reservoir;
  const int64_t keep = std::clamp<int64_t>(mainDataBegin, 0, kL3ReservoirBytes);
  // Too little history: the bytes the buffer holds stand in (zeros after an open or a seek).
  st.reservoirHeld = std::max(st.reservoirHeld, keep);
  std::memmove(res, res + (st.reservoirHeld - keep), static_cast<size_t>(keep));
  st.reservoirHeld = keep;

  const int64_t len = l3_main_data_bytes(h);
  const int64_t n = std::min(len, kL3ReservoirBytes - st.reservoirHeld);
  uint8_t* dst = res + st.reservoirHeld;
  const int64_t pos = frame.position();
  if ((pos & 7) == 0) {
    // Bytes past what the frame buffer holds read as zeros.
    const int64_t from = pos >> 3;
    const int64_t avail = std::clamp<int64_t>(frame.held - from, 0, n);
    if (avail > 0 && from >= 0) std::memcpy(dst, frame.base + from, static_cast<size_t>(avail));
    std::memset(dst + std::max<int64_t>(avail, 0), 0, static_cast<size_t>(n - std::max<int64_t>(avail, 0)));
  } else {
    for (int64_t i = 0; i < n; ++i) dst[i] = static_cast<uint8_t>(frame.bits(8));
    frame.skip(-n * 8);
  }
  frame.skip(len * 8);
  st.reservoirHeld += n;
  std::memset(res + st.reservoirHeld, 0, kBitPadBytes);
  st.reservoirBit = 0;
}

BitReader l3_reservoir_reader(Layer3State& st) {
  BitReader r;
  r.base = st.reservoir;
  r.pos = &st.reservoirBit;
  r.held = st.reservoirHeld;
  return r;
}

}  // namespace mpa
