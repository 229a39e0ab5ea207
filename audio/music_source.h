// What the music graph plays: game files opened as PCM, recognised by their content whatever
// their extension. A RIFF WAVE file of PCM data plays through the WAV reader; anything else
// cannot be opened.
#pragma once
#include <memory>
#include <string_view>

#include "plat/music_graph.h"

// The file (code page 936 path, data files: disk, then the current archive) as PCM; null when it
// is missing or not a format this build plays. Main thread: the whole PCM is read here, so the
// feeder never touches the file layer.
std::unique_ptr<plat::PcmSource> music_source_open(std::string_view cp936Path);
