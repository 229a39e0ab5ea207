// Code page 936: game text stays in these bytes everywhere; conversion happens only at the edge.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat::cp936 {

inline bool isLead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
// One character from a lead and a trail byte; nullopt when the pair is unmapped.
std::optional<char16_t> decodeChar(uint8_t lead, uint8_t trail);
// Single byte: ASCII, 0x80 = U+20AC; nullopt for leads and 0xFF.
std::optional<char16_t> decodeByte(uint8_t b);
// An unmapped pair or a stray lead byte gives U+FFFD (consuming the lead only); a lone final
// lead byte decodes to nothing.
std::u16string decode(std::string_view bytes);
std::string encode(std::u16string_view text);  // unencodable characters become '?'
std::string toUtf8(std::string_view bytes);
std::string fromUtf8(std::string_view utf8);
// File names between the game and the disk. A lone final lead byte gives U+FFFD too, so no byte
// of a name vanishes ("..\x81" never becomes ".."); U+FFFD comes back as 0xFF, which gives U+FFFD
// again, so a listed name opens the file it came from.
std::string toUtf8Name(std::string_view bytes);
std::string fromUtf8Name(std::string_view utf8);
// Offset of the character after the one at pos (pos + 1 or pos + 2), never past the end.
size_t next(std::string_view bytes, size_t pos);
std::string asciiLower(std::string_view bytes);  // never touches a trail byte
std::string asciiUpper(std::string_view bytes);
// Largest length <= max that does not cut a double-byte character.
size_t fitLength(std::string_view bytes, size_t max);
// As fitLength, and a lead byte whose trail byte is missing at the end is left out too: the
// length of whole characters, for texts cut from fixed fields.
size_t wholeLength(std::string_view bytes, size_t max);

}  // namespace plat::cp936
