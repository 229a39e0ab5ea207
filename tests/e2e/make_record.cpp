// Writes a record file the way the client records one: record_start, then one input sample per
// key code given, 1000 ms apart on the fake clock. Prints the file's game path.
//   e2e_make_record <game folder> <key code>...
#include <cstdio>
#include <cstdlib>

#include "client/game/frame_input.h"
#include "client/record/record.h"
#include "plat/headless.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: e2e_make_record <game folder> <key code>...\n");
    return 2;
  }
  plat::HeadlessOptions options;
  options.gameDir = argv[1];
  plat::HeadlessPlatform& p = plat::installHeadless(options);
  p.fakeClock().setWallTime(1796933707);  // 2026-12-10 20:15:07 UTC
  record_start();
  if (!record_state.recording) {
    std::fprintf(stderr, "e2e_make_record: the record file could not be made\n");
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    p.fakeClock().advance(1000);
    frame_input.frame_time = p.clock().ms();
    frame_input.key_code = static_cast<uint8_t>(std::atoi(argv[i]));
    record_input_sample();
  }
  std::printf("%s\n", record_state.file_name);
  return 0;
}
