// Control-file bytes -> ani_check_control_file and ani_load_char_view, with two media files
// present under ANI (numbers in the corpus name them): no input may fault, hang or allocate
// beyond what the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "client/common/view_frames_free.h"
#include "fuzz/fuzz_support.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"
#include "world/ani/ani_control.h"

namespace {

void setUp() {
  fuzz_support::installHeadlessGameDir("ani");
  mda_set_message_box([](const char*) {});
  mda_set_system_message([](const char*, uint8_t) {});
  std::filesystem::create_directories(fuzz_support::gameDir() / "ANI");
  for (const char* name : {"ANI/one.mda", "ANI/two.mda"}) {
    mdaw::MdaFile f;
    f.frame("a", mdaw::img256_encode(mdaw::picture_fill(2, 2, {10, 20, 30, 255}), {}));
    f.command("MainCommand0").step("a");
    const std::vector<uint8_t> bytes = mdaw::mda_build(f);
    fuzz_support::writeGameFile(name, bytes.data(), bytes.size());
  }
  std::atexit([] {
    mda_table_reset();
    view_frames_free();
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  if (size > (1u << 20)) return 0;
  fuzz_support::writeGameFile("fuzz.ani", data, size);
  (void)ani_check_control_file("fuzz.ani");
  (void)ani_load_char_view("fuzz.ani");
  mda_table_reset();
  return 0;
}
