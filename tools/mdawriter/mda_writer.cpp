#include "tools/mdawriter/mda_writer.h"

#include <cmath>

#include "plat/bytes.h"

namespace mdaw {

MdaFile& MdaFile::frame(std::string name, std::vector<uint8_t> data) {
  frames.push_back({std::move(name), std::move(data), std::nullopt, std::nullopt});
  return *this;
}
MdaFile& MdaFile::command(std::string name) {
  script.push_back({1, std::move(name), std::nullopt, true});
  return *this;
}
MdaFile& MdaFile::step(std::string text) {
  script.push_back({2, std::move(text), std::nullopt, true});
  return *this;
}
MdaFile& MdaFile::second(std::string name) {
  script.push_back({3, std::move(name), std::nullopt, true});
  return *this;
}

std::vector<uint8_t> mda_build(const MdaFile& file) {
  constexpr uint32_t kHead = 40, kRecord = 40;
  const auto count = static_cast<uint32_t>(file.frames.size());
  uint32_t at = kHead + kRecord * count;
  std::vector<uint32_t> offsets;
  for (const MdaFrame& f : file.frames) {
    offsets.push_back(at);
    at += static_cast<uint32_t>(f.data.size());
  }
  plat::ByteWriter script;
  for (const ScriptRecord& r : file.script) {
    const size_t natural = 2 + r.text.size() + (r.terminate ? 1 : 0);
    script.u8(r.type);
    script.u8(r.length.value_or(static_cast<uint8_t>(natural)));
    script.bytes(r.text.data(), r.text.size());
    if (r.terminate) script.u8(0);
  }

  plat::ByteWriter w;
  w.fixedString(file.bad_magic ? "VORN MEDIA FILF" : "VORN MEDIA FILE", 16);
  w.zeros(8);
  w.u32(file.frame_count.value_or(count));
  w.i32(file.script_flag);
  w.u32(kHead);
  w.u32(file.script_offset.value_or(at));
  for (uint32_t i = 0; i < count; ++i) {
    const MdaFrame& f = file.frames[i];
    w.fixedString(f.name, 32);
    w.u32(f.offset.value_or(offsets[i]));
    w.u32(f.size.value_or(static_cast<uint32_t>(f.data.size())));
  }
  for (const MdaFrame& f : file.frames) w.bytes(f.data.data(), f.data.size());
  w.u32(file.script_length.value_or(static_cast<uint32_t>(script.size())));
  w.bytes(script.data().data(), script.size());
  std::vector<uint8_t> out = w.take();
  if (file.truncate_to && *file.truncate_to < out.size()) out.resize(*file.truncate_to);
  return out;
}

std::vector<uint8_t> wave_tone(int hz, int ms) { return wave_melody({{hz, ms}}); }

std::vector<uint8_t> wave_melody(const std::vector<Note>& notes) {
  constexpr uint32_t kRate = 22050;
  uint32_t samples = 0;
  for (const Note& n : notes) samples += static_cast<uint32_t>(static_cast<uint64_t>(kRate) * (n.ms > 0 ? n.ms : 0) / 1000);
  plat::ByteWriter w;
  w.bytes("RIFF", 4);
  w.u32(36 + samples * 2);
  w.bytes("WAVEfmt ", 8);
  w.u32(16);
  w.u16(1);   // PCM
  w.u16(1);   // mono
  w.u32(kRate);
  w.u32(kRate * 2);
  w.u16(2);
  w.u16(16);
  w.bytes("data", 4);
  w.u32(samples * 2);
  for (const Note& n : notes) {
    // Each note starts at phase 0; a rest (hz 0) is silence.
    const uint32_t count = static_cast<uint32_t>(static_cast<uint64_t>(kRate) * (n.ms > 0 ? n.ms : 0) / 1000);
    for (uint32_t i = 0; i < count; ++i) {
      const double t = static_cast<double>(i) / kRate;
      w.i16(static_cast<int16_t>(12000 * std::sin(2 * M_PI * n.hz * t)));
    }
  }
  return w.take();
}

}  // namespace mdaw
