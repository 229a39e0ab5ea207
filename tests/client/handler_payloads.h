// Little-endian payload builders for the world-message handler tests, fuzz seeds and benchmarks.
#pragma once
#include <cstdint>
#include <string>

namespace handler_test {

struct Bytes {
  std::string s;
  Bytes& u8(uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    return *this;
  }
  Bytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
  Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  // text padded with zeros (or cut) to n bytes
  Bytes& text(const std::string& t, size_t n) {
    std::string f = t.substr(0, n);
    f.resize(n, '\0');
    s += f;
    return *this;
  }
  Bytes& zeros(size_t n) { return text("", n); }
  operator std::string() const { return s; }
};

// The 84-byte scene character record: id, name, position (also the walk target), posture and
// the flags word.
inline std::string sceneChar(uint32_t id, const std::string& name, uint16_t x = 100, uint16_t y = 200,
                             uint8_t posture = 0, uint32_t flags = 0) {
  Bytes b;
  b.u32(id).text(name, 21).text("title", 27).u32(5).u8(0).u8(0).u16(x).u16(y).u16(x).u16(y);
  b.u8(0).u8(posture).u8(0).u8(0).zeros(2).u32(flags).u8(0).zeros(3).u32(0xFFFFFFFF);
  return b;
}

// The 28-byte party record.
inline std::string partyRecord(uint32_t id, const std::string& name, uint16_t value = 0) {
  return Bytes().u32(id).text(name, 20).u16(value).u16(0);
}

// The 28-byte character list record.
inline std::string charRecord(uint32_t id, const std::string& name, uint8_t race, int16_t look, int16_t rebirth,
                              int16_t level) {
  return Bytes().u32(id).text(name, 15).u8(race).u16(static_cast<uint16_t>(look)).u16(static_cast<uint16_t>(rebirth))
      .u16(static_cast<uint16_t>(level)).zeros(2);
}

// The 172-byte scene entry: map name, numbers, the weather word at 60, the own record at 88.
inline std::string mapRecord(const std::string& name, int32_t map, uint32_t charId, uint32_t weather = 0,
                             int32_t music = 1, int32_t music2 = 2, int32_t value2 = 5) {
  Bytes b;
  b.text(name, 16).u32(static_cast<uint32_t>(map)).u32(static_cast<uint32_t>(music)).u32(7)
      .u32(static_cast<uint32_t>(music2)).u32(static_cast<uint32_t>(value2)).u32(3).u32(0);
  for (uint32_t i = 0; i < 4; ++i) b.u32(44 + i);
  b.u32(weather);
  for (uint32_t i = 1; i < 7; ++i) b.u32(60 + i);
  b.s += sceneChar(charId, "Hero", 300, 400, 2);
  return b;
}

}  // namespace handler_test
