// Cursor files from the game folder.
#include "common/cursor_load.h"

#include <vector>

#include "common/common.h"
#include "plat/cp936.h"

namespace plat::common {

namespace {
// A cursor file is a few kilobytes; the largest the reader accepts (256 frames of 256 x 256 at
// 32 bits) stays under this.
constexpr int64_t kMaxCursorFileBytes = 80ll << 20;

void say(const std::string& text) {
  if (installed()) get().debugOut(text);
  else debugOutToStderr(text);
}
}  // namespace

std::optional<CursorImage> loadCursorFile(IFileSystem& files, std::string_view gamePathCp936) {
  const std::string shown = cp936::toUtf8(gamePathCp936);
  std::unique_ptr<File> f = files.open(gamePathCp936, "rb");
  if (!f) {
    say("cursor file " + shown + ": cannot open");
    return std::nullopt;
  }
  int64_t size = f->size();
  if (size < 0 || size > kMaxCursorFileBytes) {
    say("cursor file " + shown + ": size " + std::to_string(size) + " refused");
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (f->read(bytes.data(), bytes.size()) != bytes.size()) {
    say("cursor file " + shown + ": short read");
    return std::nullopt;
  }
  std::string why;
  std::optional<CursorImage> img = parseCursorFile(bytes, &why);
  if (!img) say("cursor file " + shown + ": " + why);
  return img;
}

}  // namespace plat::common
