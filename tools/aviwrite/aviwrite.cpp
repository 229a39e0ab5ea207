// RIFF "AVI ": hdrl (avih, one strl per stream), movi (00db frames, 01wb sound), idx1.
#include "tools/aviwrite/aviwrite.h"

#include <cmath>
#include <fstream>
#include <stdexcept>

#include "plat/bytes.h"

namespace aviwrite {
namespace {

constexpr uint32_t kRate = 22050;

void fourcc(plat::ByteWriter& w, const char* id) { w.bytes(id, 4); }

// One chunk: id, size, payload, padded to an even size.
void chunk(plat::ByteWriter& w, const char* id, const std::vector<uint8_t>& payload) {
  fourcc(w, id);
  w.u32(static_cast<uint32_t>(payload.size()));
  w.bytes(payload.data(), payload.size());
  if (payload.size() % 2) w.u8(0);
}

// A LIST (or RIFF) of the given type around the payload.
void list(plat::ByteWriter& w, const char* id, const char* type, const std::vector<uint8_t>& payload) {
  fourcc(w, id);
  w.u32(static_cast<uint32_t>(payload.size() + 4));
  fourcc(w, type);
  w.bytes(payload.data(), payload.size());
}

std::vector<uint8_t> streamHeader(const char* type, const char* handler, uint32_t scale, uint32_t rate,
                                  uint32_t length, uint32_t bufferSize, uint32_t sampleSize, int32_t w, int32_t h) {
  plat::ByteWriter s;
  fourcc(s, type);
  s.bytes(handler, 4);
  s.u32(0);  // flags
  s.u16(0);  // priority
  s.u16(0);  // language
  s.u32(0);  // initial frames
  s.u32(scale);
  s.u32(rate);
  s.u32(0);  // start
  s.u32(length);
  s.u32(bufferSize);
  s.u32(0xFFFFFFFFu);  // quality: default
  s.u32(sampleSize);
  s.u16(0);
  s.u16(0);
  s.u16(static_cast<uint16_t>(w));
  s.u16(static_cast<uint16_t>(h));
  return s.take();
}

// The samples of frame k's time span (the rounding of each span's ends keeps the total exact).
uint32_t samplesBefore(int64_t k, int32_t fps) { return static_cast<uint32_t>(k * kRate / fps); }

}  // namespace

uint32_t patternColour(int32_t k, int32_t x, int32_t y) {
  const auto r = static_cast<uint32_t>(k * 24) & 0xFF;
  const auto g = static_cast<uint32_t>(x / 16 * 24) & 0xFF;
  const auto b = static_cast<uint32_t>(y / 16 * 24) & 0xFF;
  return r << 16 | g << 8 | b;
}

std::vector<uint8_t> write(const Options& o) { return write(o, ColourFn()); }

std::vector<uint8_t> write(const Options& o, const ColourFn& colour) {
  if (o.width < 1 || o.height < 1 || o.width > 4096 || o.height > 4096) throw std::invalid_argument("film size");
  if (o.fps < 1 || o.fps > 1000) throw std::invalid_argument("frame rate");
  if (o.frames < 1 || o.frames > 100000) throw std::invalid_argument("frame count");
  const uint32_t stride = (static_cast<uint32_t>(o.width) * 3 + 3) & ~3u;
  const uint32_t frameBytes = stride * static_cast<uint32_t>(o.height);
  const uint32_t streams = o.audio ? 2 : 1;
  const uint32_t maxSound = (samplesBefore(1, o.fps) + 1) * 2;

  // movi and its index (offsets from the "movi" type word).
  plat::ByteWriter movi, idx;
  uint32_t offset = 4;
  auto add = [&](const char* id, const std::vector<uint8_t>& payload) {
    fourcc(idx, id);
    idx.u32(0x10);  // key frame
    idx.u32(offset);
    idx.u32(static_cast<uint32_t>(payload.size()));
    chunk(movi, id, payload);
    offset += 8 + static_cast<uint32_t>((payload.size() + 1) & ~size_t{1});
  };
  std::vector<uint8_t> pixels(frameBytes);
  for (int32_t k = 0; k < o.frames; ++k) {
    for (int32_t y = 0; y < o.height; ++y) {
      uint8_t* row = pixels.data() + static_cast<size_t>(o.height - 1 - y) * stride;  // bottom-up
      for (int32_t x = 0; x < o.width; ++x) {
        const uint32_t c = colour ? colour(k, x, y) : patternColour(k, x, y);
        row[3 * x] = c & 0xFF;
        row[3 * x + 1] = (c >> 8) & 0xFF;
        row[3 * x + 2] = (c >> 16) & 0xFF;
      }
    }
    add("00db", pixels);
    if (o.audio) {
      plat::ByteWriter pcm;
      for (uint32_t n = samplesBefore(k, o.fps); n < samplesBefore(k + 1, o.fps); ++n)
        pcm.i16(static_cast<int16_t>(8000.0 * std::sin(2.0 * M_PI * o.toneHz * n / kRate)));
      add("01wb", pcm.take());
    }
  }

  plat::ByteWriter avih;
  avih.u32(static_cast<uint32_t>(1000000 / o.fps));
  avih.u32(frameBytes * static_cast<uint32_t>(o.fps) + (o.audio ? kRate * 2 : 0));
  avih.u32(0);
  avih.u32(0x10);  // has an index
  avih.u32(static_cast<uint32_t>(o.frames));
  avih.u32(0);
  avih.u32(streams);
  avih.u32(frameBytes);
  avih.u32(static_cast<uint32_t>(o.width));
  avih.u32(static_cast<uint32_t>(o.height));
  avih.zeros(16);

  plat::ByteWriter vstrl;
  chunk(vstrl, "strh", streamHeader("vids", "DIB ", 1, static_cast<uint32_t>(o.fps), static_cast<uint32_t>(o.frames),
                                    frameBytes, 0, o.width, o.height));
  plat::ByteWriter bih;
  bih.u32(40);
  bih.i32(o.width);
  bih.i32(o.height);  // positive: bottom-up rows
  bih.u16(1);
  bih.u16(24);
  bih.u32(0);  // BI_RGB
  bih.u32(frameBytes);
  bih.zeros(16);
  chunk(vstrl, "strf", bih.take());

  plat::ByteWriter hdrl;
  chunk(hdrl, "avih", avih.take());
  list(hdrl, "LIST", "strl", vstrl.take());
  if (o.audio) {
    plat::ByteWriter astrl;
    chunk(astrl, "strh", streamHeader("auds", "\0\0\0\0", 2, kRate * 2, samplesBefore(o.frames, o.fps), maxSound, 2, 0, 0));
    plat::ByteWriter wf;
    wf.u16(1);  // PCM
    wf.u16(1);
    wf.u32(kRate);
    wf.u32(kRate * 2);
    wf.u16(2);
    wf.u16(16);
    wf.u16(0);
    chunk(astrl, "strf", wf.take());
    list(hdrl, "LIST", "strl", astrl.take());
  }

  plat::ByteWriter body;
  list(body, "LIST", "hdrl", hdrl.take());
  list(body, "LIST", "movi", movi.take());
  chunk(body, "idx1", idx.take());
  plat::ByteWriter file;
  list(file, "RIFF", "AVI ", body.take());
  return file.take();
}

bool writeFile(const std::string& hostPath, const Options& options) {
  const std::vector<uint8_t> bytes = write(options);
  std::ofstream out(hostPath, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace aviwrite
