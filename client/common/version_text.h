// The client's version text.
#pragma once
#include <cstddef>

constexpr int CLIENT_BUILD_NUMBER = 6137;
constexpr size_t VERSION_TEXT_SIZE = 32;
// Writes "major.minor.patch - build" into buffer (VERSION_TEXT_SIZE bytes).
void version_text_format(char* buffer, int major, int minor, int patch);
