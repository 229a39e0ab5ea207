// The BMP file head as this program reads and writes it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/bytes.h"

constexpr size_t BMP_FILE_HEAD_SIZE = 14;
constexpr size_t BMP_INFO_SIZE = 40;
constexpr size_t BMP_HEAD_SIZE = BMP_FILE_HEAD_SIZE + BMP_INFO_SIZE;

constexpr plat::FieldSpec kBmpHeadLayout[] = {
    {"signature", 0, 2},      {"file size", 2, 4},    {"reserved", 6, 2},       {"reserved", 8, 2},
    {"pixel offset", 10, 4},  {"info size", 14, 4},   {"width", 18, 4},         {"height", 22, 4},
    {"planes", 26, 2},        {"bit count", 28, 2},   {"compression", 30, 4},   {"image size", 34, 4},
    {"x pixels per m", 38, 4}, {"y pixels per m", 42, 4}, {"colours used", 46, 4}, {"important", 50, 4}};
static_assert(plat::checkLayout(kBmpHeadLayout, BMP_HEAD_SIZE));

// Bytes per row: 3 per pixel (or 1 for 8 bits), rounded up to a multiple of 4.
inline uint64_t bmp_stride24(int64_t width) { return (3 * static_cast<uint64_t>(width) + 3) & ~uint64_t{3}; }
inline uint64_t bmp_stride8(int64_t width) { return (static_cast<uint64_t>(width) + 3) & ~uint64_t{3}; }
