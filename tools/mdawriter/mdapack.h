// mdapack: a media file from a plain-text manifest, and a listing of a media file read back
// through the program's own loader. One item a line ('#' starts a comment):
//   image NAME from=FILE.ppm [alpha=FILE.pgm] box=X,Y hot=X,Y
//   image NAME fill=WxH:#RRGGBB alpha=A box=X,Y hot=X,Y
//   wave NAME from=FILE.wav        wave NAME tone=HZ,MS
//   raw NAME bytes=TEXT            (a frame that is neither sound nor image)
//   command NAME                   step TEXT                  second NAME
// Files are named relative to the manifest's folder.
#pragma once
#include <string>

#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"

namespace mdaw {

// Binary PPM (P6) and PGM (P5) with a maximum value of 255; throws std::runtime_error.
Picture read_ppm(const std::string& host_path);
std::vector<uint8_t> read_pgm(const std::string& host_path, int* width, int* height);

// Throws std::runtime_error naming the line on a bad item.
MdaFile parse_manifest(const std::string& text, const std::string& base_dir);
MdaFile read_manifest(const std::string& host_path);

// The listing of a media file at a game path, loaded with mda_load_file under the installed
// platform: frames (name, kind, size, box, hot spot) and commands (steps, second frames).
// Throws std::runtime_error with the loader's message when it refuses the file.
std::string mdapack_list(const std::string& game_path);

}  // namespace mdaw
