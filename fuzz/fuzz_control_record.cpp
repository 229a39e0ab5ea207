// Control description records: the input, any length, read after its kind word by the control's
// loader through the file layer. The name stays within its 128 bytes, the items read are whole
// ones, and a save of what was read gives back the bytes it came from.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/control/control.h"
#include "fuzz/fuzz_support.h"
#include "plat/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (fuzz_support::installHeadlessGameDir("control-record"), true);
  (void)ready;
  fuzz_support::writeGameFile("in.ctl", data, size);
  auto in = plat::get().files().open("in.ctl", "rb");
  if (!in) std::abort();
  uint8_t kind[4];
  const bool hasKind = in->read(kind, 4) == 4;
  CControl control(nullptr, CTL_KIND_EDIT, 0);
  const int32_t r = hasKind ? control.load(*in) : CTL_FAIL;
  if (control.name_view().size() > CTL_NAME_SIZE) std::abort();
  const size_t itemBytes = size >= CTL_RECORD_HEAD_SIZE ? size - CTL_RECORD_HEAD_SIZE : 0;
  if (static_cast<size_t>(control.items.count) > itemBytes / CTL_RECORD_ITEM_SIZE) std::abort();
  if (r == CTL_OK && size >= CTL_RECORD_HEAD_SIZE && control.items.count > 0) {
    std::memcpy(&control.kind, kind, 4);
    {
      auto out = plat::get().files().open("out.ctl", "wb");
      if (control.save(*out) != CTL_OK) std::abort();
    }
    const std::string back = fuzz_support::readGameFile("out.ctl");
    if (back.size() > size || std::memcmp(back.data(), data, back.size()) != 0) std::abort();
  }
  return 0;
}
