// minizip's file callbacks over the platform's file layer, so that archives are opened through
// the one path resolver like every other game file.
#pragma once
#include <ioapi.h>

namespace updater {

// Callbacks for unzOpen2_64; the archive name passed to it is a game path.
zlib_filefunc64_def PlatformZipIo();

}  // namespace updater
