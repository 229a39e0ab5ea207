#include "jpeg/vector_pixels.h"

#include "jpeg/vector_isa.h"
#include "jpeg/vector_pixels_kernels.h"

namespace {

// Forwarding entries: one direct call each, which the compiler turns into a jump.
template <JpegOutKernelFn K>
void fwd_out(const int16_t* b, uint8_t* out, ptrdiff_t step) {
  K(b, out, step);
}
template <JpegEncodeInFn K>
void fwd_in(const uint8_t* px, ptrdiff_t step, int16_t* b) {
  K(px, step, b);
}

template <typename Fn>
struct Member {
  const char* name;
  Fn sse2, avx2;  // forwarding entries; avx2 null where the member has no twin
};
using OutMember = Member<JpegOutKernelFn>;
using InMember = Member<JpegEncodeInFn>;

#define VPX_OUT(k) OutMember{#k, fwd_out<jcodec::k>, nullptr}
#define VPX_OUT2(k) OutMember{#k, fwd_out<jcodec::k>, fwd_out<jcodec::k##_avx2>}
#define VPX_IN(k) InMember{#k, fwd_in<jcodec::k>, nullptr}

enum Out {
  kGray, kRgbBlock, kBgrBlock, kRgbH2v1, kBgrH2v1, kRgbH2v1x, kBgrH2v1x, kRgbH2v2, kBgrH2v2, kRgbaBlock, kRgbaH2v1,
  kRgbaH2v2, k422, kQuadBlock, kQuadH2v1, kQuadH2v2, kOutCount
};
const OutMember kOut[kOutCount] = {
    VPX_OUT(gray_block_to_gray_v64), VPX_OUT(ycc_to_rgb_block_v64),  VPX_OUT(ycc_to_bgr_block_v64),
    VPX_OUT2(ycc_h2v1_to_rgb_v64),    VPX_OUT2(ycc_h2v1_to_bgr_v64),   VPX_OUT2(ycc_h2v1_to_rgb_v64x),
    VPX_OUT2(ycc_h2v1_to_bgr_v64x),   VPX_OUT2(ycc_h2v2_to_rgb_v64),   VPX_OUT2(ycc_h2v2_to_bgr_v64),
    VPX_OUT(ycc_to_rgba_block_v64),  VPX_OUT2(ycc_h2v1_to_rgba_v64),  VPX_OUT2(ycc_h2v2_to_rgba_v64),
    VPX_OUT(ycc_h2v1_to_422_v64),    VPX_OUT(ycc4_to_quad_block_v64), VPX_OUT2(ycc4_to_quad_h2v1_v64),
    VPX_OUT2(ycc4_to_quad_h2v2_v64),
};

enum In {
  kGrayIn, kRgbBlockIn, kBgrBlockIn, kRgbH2v1In, kBgrH2v1In, kRgbH2v2In, kBgrH2v2In, kSplit422, kSplit422x,
  kQuadBlockIn, kQuadH2v1In, kQuadH2v2In, kInCount
};
const InMember kIn[kInCount] = {
    VPX_IN(gray_to_block_v64),   VPX_IN(rgb_to_ycc_block_v64),  VPX_IN(bgr_to_ycc_block_v64),
    VPX_IN(rgb_to_ycc_h2v1_v64), VPX_IN(bgr_to_ycc_h2v1_v64),   VPX_IN(rgb_to_ycc_h2v2_v64),
    VPX_IN(bgr_to_ycc_h2v2_v64), VPX_IN(ycc422_split_v64),      VPX_IN(ycc422_split_v64x),
    VPX_IN(quad_to_ycc4_block_v64), VPX_IN(quad_to_ycc4_h2v1_v64), VPX_IN(quad_to_ycc4_h2v2_v64),
};

#undef VPX_OUT
#undef VPX_OUT2
#undef VPX_IN

template <typename Fn, size_t N>
const Member<Fn>* find(const Member<Fn> (&list)[N], Fn entry) {
  if (!entry) return nullptr;
  for (const Member<Fn>& m : list)
    if (m.sse2 == entry || (m.avx2 && m.avx2 == entry)) return &m;
  return nullptr;
}

}  // namespace

void install_vector_pixel_kernels(JPEG_DISPATCH_TABLE* t, int32_t cls) {
  if (cls < 3 || cls > 6) return;
  const bool avx2 = jcodec::vector_avx2();
  const auto out = [avx2](Out k) { return avx2 && kOut[k].avx2 ? kOut[k].avx2 : kOut[k].sse2; };
  const auto in = [avx2](In k) { return avx2 && kIn[k].avx2 ? kIn[k].avx2 : kIn[k].sse2; };
  // classes 5 and 6 take the word-shuffle members for 4:2:2 input and 2x1 R,G,B / B,G,R output
  const bool word_shuffle = cls >= 5;

  t->gray_to_block = in(kGrayIn);
  t->rgb_to_ycc_block = in(kRgbBlockIn);
  t->rgb_to_ycc_h2v1 = in(kRgbH2v1In);
  t->rgb_to_ycc_h2v2 = in(kRgbH2v2In);
  t->bgr_to_ycc_block = in(kBgrBlockIn);
  t->bgr_to_ycc_h2v1 = in(kBgrH2v1In);
  t->bgr_to_ycc_h2v2 = in(kBgrH2v2In);
  t->ycc422_split = in(word_shuffle ? kSplit422x : kSplit422);
  t->quad_to_ycc4_block = in(kQuadBlockIn);
  t->quad_to_ycc4_h2v1 = in(kQuadH2v1In);
  t->quad_to_ycc4_h2v2 = in(kQuadH2v2In);

  t->gray_block_to_gray = out(kGray);
  t->ycc_to_rgb_block = out(kRgbBlock);
  t->ycc_h2v1_to_rgb = out(word_shuffle ? kRgbH2v1x : kRgbH2v1);
  t->ycc_h2v2_to_rgb = out(kRgbH2v2);
  t->ycc_to_bgr_block = out(kBgrBlock);
  t->ycc_h2v1_to_bgr = out(word_shuffle ? kBgrH2v1x : kBgrH2v1);
  t->ycc_h2v2_to_bgr = out(kBgrH2v2);
  t->ycc_to_rgba_block = out(kRgbaBlock);
  t->ycc_h2v1_to_rgba = out(kRgbaH2v1);
  t->ycc_h2v2_to_rgba = out(kRgbaH2v2);
  t->ycc_h2v1_to_422 = out(k422);
  t->ycc4_to_quad_block = out(kQuadBlock);
  t->ycc4_to_quad_h2v1 = out(kQuadH2v1);
  t->ycc4_to_quad_h2v2 = out(kQuadH2v2);
}

const char* vector_pixel_kernel_name(JpegEncodeInFn entry) {
  const InMember* m = find(kIn, entry);
  return m ? m->name : nullptr;
}
const char* vector_pixel_kernel_name(JpegOutKernelFn entry) {
  const OutMember* m = find(kOut, entry);
  return m ? m->name : nullptr;
}
bool vector_pixel_entry_is_avx2(JpegEncodeInFn entry) {
  const InMember* m = find(kIn, entry);
  return m && m->avx2 && m->avx2 == entry;
}
bool vector_pixel_entry_is_avx2(JpegOutKernelFn entry) {
  const OutMember* m = find(kOut, entry);
  return m && m->avx2 && m->avx2 == entry;
}
