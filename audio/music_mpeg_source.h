// The music graph's MPEG road: a tune streamed through the decode front end's chain, with the
// music player's start rule (an ID3v2 head skipped, any valid frame header taken as the sync).
#pragma once
#include <memory>
#include <string_view>

#include "plat/music_graph.h"

// Null when the file (a game path on disk) holds no MPEG audio the front end can open; the
// front end logs why. Reads run on the graph's feeder thread, a rewind reopens the chain.
std::unique_ptr<plat::PcmSource> music_mpeg_source_open(std::string_view cp936Path);
