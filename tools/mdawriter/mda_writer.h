// Test-only media-file writer: head, frame table at 40, the frames' data, then the command
// script. Faults for the malformed-file tests are set through the optional fields.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mdaw {

struct MdaFrame {
  std::string name;
  std::vector<uint8_t> data;
  std::optional<uint32_t> offset;  // replaces the computed offset
  std::optional<uint32_t> size;    // replaces the data's size in the table
};

struct ScriptRecord {
  uint8_t type = 0;  // 1 command, 2 step, 3 or 4 second frame
  std::string text;
  std::optional<uint8_t> length;   // replaces 2 + text + NUL
  bool terminate = true;           // false: no NUL after the text
};

struct MdaFile {
  std::vector<MdaFrame> frames;
  std::vector<ScriptRecord> script;
  int32_t script_flag = 1;
  std::optional<uint32_t> frame_count;     // replaces the number of frames in the head
  std::optional<uint32_t> script_length;   // replaces the records' total size
  std::optional<uint32_t> script_offset;
  std::optional<uint32_t> truncate_to;     // cut the file to this size
  bool bad_magic = false;

  // Builders for the usual script.
  MdaFile& frame(std::string name, std::vector<uint8_t> data);
  MdaFile& command(std::string name);
  MdaFile& step(std::string text);
  MdaFile& second(std::string name);
};

std::vector<uint8_t> mda_build(const MdaFile& file);

// A RIFF WAVE file: 16-bit mono PCM at 22050 Hz, a sine tone of hz for ms milliseconds.
std::vector<uint8_t> wave_tone(int hz, int ms);

// The same format for a melody: the notes one after another (hz 0 rests).
struct Note {
  int hz = 0, ms = 0;
};
std::vector<uint8_t> wave_melody(const std::vector<Note>& notes);

}  // namespace mdaw
