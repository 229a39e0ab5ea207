#include <cstdio>

#include "client/common/version_text.h"

void version_text_format(char* buffer, int major, int minor, int patch) {
  std::snprintf(buffer, VERSION_TEXT_SIZE, "%d.%d.%d - %d", major, minor, patch, CLIENT_BUILD_NUMBER);
}
