// What the music graph plays: game files opened as PCM, recognised by their content whatever
// their extension. A RIFF WAVE file of PCM data plays through the WAV reader; MPEG audio (bare,
// tagged, in RIFF or in a system stream) through the decode front end.
#pragma once
#include <memory>
#include <string_view>

#include "plat/music_graph.h"

// The file (code page 936 path) as PCM; null when it is missing or not a format this build
// plays. Main thread. PCM WAVE (data files: disk, then the current archive) is read whole here,
// so its feeder never touches the file layer; MPEG audio (on disk) is decoded as the feeder reads.
std::unique_ptr<plat::PcmSource> music_source_open(std::string_view cp936Path);
