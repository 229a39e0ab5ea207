// The stages of the layer III decoder, one file each; layer3.cpp runs them in order.
#pragma once

#include <cstdint>

#include "audio/mpeg/layer3.h"
#include "audio/mpeg/layer3_tables.h"

namespace mpa {

// Side information from the frame reader (after the header and CRC word): all of it, or only
// main_data_begin and the private bits with the rest skipped. Region boundaries are set from the
// long band table and clamped to the big-values line count.
void l3_read_side_info(Layer3State& st, const FrameHeader& h, BitReader& in, L3SideInfo& si);
void l3_skip_side_info(const FrameHeader& h, BitReader& in, L3SideInfo& si);
int l3_side_info_bytes(const FrameHeader& h);
int l3_granules(const FrameHeader& h);

// Bytes of main data the frame carries behind its side information (never negative).
int64_t l3_main_data_bytes(const FrameHeader& h);
// Keeps the last main_data_begin bytes of the reservoir, appends the frame's main data from the
// frame reader and moves that reader past it; the reservoir reader then starts at bit 0.
void l3_take_main_data(Layer3State& st, const FrameHeader& h, BitReader& frame, int mainDataBegin);
BitReader l3_reservoir_reader(Layer3State& st);

// Scale factors of granule `gr`, channel `ch` from the reservoir reader.
void l3_read_scalefactors(Layer3State& st, const FrameHeader& h, int gr, int ch, BitReader& in);

// Huffman-decodes the granule's lines into st.lines[ch] at their reordered positions (signed
// powers of the values) and sets st.nonzeroEnd[ch]. Reads up to the granule's end bit.
void l3_decode_lines(Layer3State& st, const L3Granule& g, int ch, BitReader& in);

// Multiplies the decoded lines by their gains and scale-factor steps.
void l3_requantise(Layer3State& st, const L3Granule& g, int ch);

// Mid/side and intensity stereo of one joint-stereo granule over `lines` lines.
void l3_joint_stereo(Layer3State& st, const FrameHeader& h, const L3Granule& right, int lines);

// Alias reduction between adjacent sub-bands of the long part, over `subbands` sub-bands.
void l3_antialias(Layer3State& st, const L3Granule& g, int ch, int subbands);
// Per-line equaliser gains on the lines of `subbands` sub-bands.
void l3_line_equalise(Layer3State& st, const L3Granule& g, int ch, int subbands);

// Inverse MDCT of one sub-band's 18 lines with the block type's window, overlap-added: writes
// 18 samples (odd samples of odd sub-bands negated by the caller).
void l3_imdct_long(const float* in, int blockType, float* overlap, float* out);
void l3_imdct_short(const float* in, float* overlap, float* out);
// The whole granule of one channel into slots 18 x gr .. of the sub-band array.
void l3_hybrid_synthesis(Layer3State& st, const L3Granule& g, int ch, int gr, int subbands, SubbandFrame& out);

// Reordering maps and band starts for a sample rate.
void l3_build_bands(Layer3State& st, int rate, bool lsf);
// First position of map `map` (0 identity, 1 short, 2 mixed) above every position that the
// first `lines` lines in decode order reach.
int l3_reordered_end(const Layer3State& st, int map, int lines);

}  // namespace mpa
