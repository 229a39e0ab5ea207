#include "audio/mpeg/layer3.h"

#include <algorithm>
#include <cstring>

#include "audio/mpeg/layer3_stages.h"

namespace mpa {

void layer3_reset_history(Layer3State& st) {
  std::memset(st.reservoir, 0, sizeof st.reservoir);
  st.reservoirHeld = 0;
  st.reservoirBit = 0;
  std::memset(st.overlap, 0, sizeof st.overlap);
}

void layer3_open(Layer3State& st, const FrameHeader& ref) {
  (void)layer3_tables();
  l3_build_bands(st, header_sample_rate(ref), ref.version != kMpeg1);
  st.version = ref.version;
  layer3_reset_history(st);
  for (L3ScaleFactors& s : st.sf) s = L3ScaleFactors{};
  st.lineEqOn = false;
}

int layer3_reservoir_frames(int version, int64_t wholeSlots) {
  const int64_t divisor = wholeSlots - 38;
  if (divisor <= 0) return 3;
  return static_cast<int>((version == kMpeg1 ? 510 : 254) / divisor + 3);
}

namespace {

// The end of the stream: the remaining granules take the overlap tail, then silence.
void flush(Layer3State& st, const DecoderConfig& cfg, SubbandFrame& out, int fromGranule) {
  const int nch = std::clamp(cfg.streamChannels, 1, 2);
  for (int gr = fromGranule; gr < 2; ++gr)
    for (int ch = 0; ch < nch; ++ch)
      for (int sb = 0; sb < kSubbands; ++sb)
        for (int t = 0; t < 18; ++t) {
          const float v = st.overlap[ch][sb][t];
          out.s[ch][18 * gr + t][sb] = (sb & t & 1) ? -v : v;
          st.overlap[ch][sb][t] = 0.0f;
        }
}

// One frame: its side information and main data, then each granule through the stages.
void decodeFrame(Layer3State& st, const FrameHeader& h, BitReader& frame, const DecoderConfig& cfg,
                 SubbandFrame& out, int firstGranule) {
  L3SideInfo& si = st.side;
  l3_read_side_info(st, h, frame, si);
  l3_take_main_data(st, h, frame, si.mainDataBegin);
  BitReader res = l3_reservoir_reader(st);
  const int nch = header_channels(h);
  const int shift = std::clamp(cfg.shift, 0, 2);
  const int subbands = kSubbands >> shift;
  for (int gr = 0; gr < l3_granules(h); ++gr) {
    for (int ch = 0; ch < nch; ++ch) {
      const L3Granule& g = si.gr[gr][ch];
      st.reservoirBit = g.startBit;
      l3_read_scalefactors(st, h, gr, ch, res);
      l3_decode_lines(st, g, ch, res);
      l3_requantise(st, g, ch);
    }
    if (nch == 2 && h.mode == kJointStereo && h.modeExt != 0) l3_joint_stereo(st, h, si.gr[gr][1], kL3Lines >> shift);
    for (int ch = 0; ch < nch; ++ch) {
      const L3Granule& g = si.gr[gr][ch];
      l3_antialias(st, g, ch, subbands);
      l3_line_equalise(st, g, ch, subbands);
      l3_hybrid_synthesis(st, g, ch, firstGranule + gr, subbands, out);
    }
  }
}

}  // namespace

void layer3_decode(Layer3State& st, FrameSource& src, const DecoderConfig& cfg, SubbandFrame& out) {
  const int frames = st.lsf ? 2 : 1;
  for (int f = 0; f < frames; ++f) {
    if (f > 0) src.nextHeader();  // none found leaves bit-rate index 0
    const FrameHeader& h = src.header();
    if (h.bitrateIndex == 0) {
      flush(st, cfg, out, f);
      return;
    }
    decodeFrame(st, h, src.reader(), cfg, out, f);
  }
}

void layer3_rebuild(Layer3State& st, FrameSource& src, const DecoderConfig& cfg, SubbandFrame& out,
                    int b, int reservoirFrames, int prime) {
  if (b >= reservoirFrames && prime) std::memset(st.overlap, 0, sizeof st.overlap);
  std::memset(st.reservoir, 0, sizeof st.reservoir);
  st.reservoirHeld = 0;
  st.reservoirBit = 0;
  const int frames = st.lsf ? 2 : 1;
  for (int i = b; i < reservoirFrames; ++i) {
    if (i < reservoirFrames - prime) {
      for (int f = 0; f < frames; ++f) {
        if (!src.nextHeader()) return;
        L3SideInfo si;
        l3_skip_side_info(src.header(), src.reader(), si);
        l3_take_main_data(st, src.header(), src.reader(), si.mainDataBegin);
      }
    } else {
      if (!src.nextHeader()) return;
      layer3_decode(st, src, cfg, out);
    }
  }
}

}  // namespace mpa
