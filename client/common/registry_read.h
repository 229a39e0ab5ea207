// Default values of registry keys.
#pragma once
#include <cstddef>

#include "plat/platform.h"

constexpr size_t REGISTRY_VALUE_SIZE = 260;
constexpr int REGISTRY_NOT_FOUND = 2;    // ERROR_FILE_NOT_FOUND
constexpr int REGISTRY_MORE_DATA = 234;  // ERROR_MORE_DATA
// Reads the default value of root\subkey into out (REGISTRY_VALUE_SIZE bytes): 0, or the error.
int registry_read_default(plat::Hive root, const char* subkey, char* out);
