// The entry name hash, and the packer refusing two names of one hash.
#include <gtest/gtest.h>

#include "core/pak/pak.h"
#include "tools/mkpak/mkpak.h"

namespace {

TEST(PakHash, Vectors) {
  EXPECT_EQ(pak_name_hash(""), 0x12345678u);
  EXPECT_EQ(pak_name_hash("a"), 0xEDCBAFF7u);
  EXPECT_EQ(pak_name_hash("ab"), 0x92343740u);
  EXPECT_EQ(pak_name_hash("system\\head.mda"), 0x8EFD97EDu);
  // Lower-cased before hashing; separators are not normalised.
  EXPECT_EQ(pak_name_hash("SYSTEM\\Head.MDA"), 0x8EFD97EDu);
  EXPECT_NE(pak_name_hash("system/head.mda"), 0x8EFD97EDu);
}

TEST(PakHash, TrailByteOfADoubleByteCharacterKeepsItsCase) {
  // 0xB0 0x41 is one character whose second byte looks like 'A'; the 'B' after it is a letter.
  const uint32_t h = pak_name_hash("\xB0\x41" "B.bmp");
  EXPECT_EQ(h, pak_name_hash("\xB0\x41" "b.bmp"));
  EXPECT_NE(h, pak_name_hash("\xB0\x61" "b.bmp"));
  // A lone capital after a single-byte character is lowered.
  EXPECT_EQ(pak_name_hash("\x41" "b.bmp"), pak_name_hash("ab.bmp"));
}

TEST(PakHash, PackerRefusesTwoNamesOfOneHash) {
  std::vector<uint8_t> out;
  std::string error;
  EXPECT_FALSE(mkpak::build({{"Data\\A.txt", {1}}, {"data\\a.txt", {2}}}, false, out, error));
  EXPECT_NE(error.find("data\\a.txt"), std::string::npos) << error;
  EXPECT_TRUE(mkpak::build({{"data\\a.txt", {1}}, {"data/a.txt", {2}}}, false, out, error)) << error;
}

}  // namespace
