// Pieces both backends are built from. Not part of the public interface: only platform/ sources
// include this.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "plat/platform.h"

namespace plat::common {

// registry.ini (or VELDRA_REGISTRY) over the built-in defaults; set() adds in-memory values.
class IniRegistry : public IRegistry {
 public:
  virtual void set(Hive hive, const std::string& key, const std::string& value, const std::string& data) = 0;
};
std::unique_ptr<IniRegistry> makeIniRegistry(const std::string& iniHostPath);

std::unique_ptr<IShell> makePosixShell();
std::unique_ptr<ISystemInfo> makePosixSystemInfo();
// Real processes: posix_spawn, the abstract-socket single instance, _exit after the hooks.
// leaveFullscreen runs before _exit on the main thread (the SDL backend passes its own).
std::unique_ptr<IProcess> makePosixProcess(std::function<void()> leaveFullscreen);
// Called on the single-instance listener thread when a later copy asks this one to raise its
// window (the backend posts to its window from there). Nothing happens while none is set.
void setRaiseHandler(std::function<void()> handler);
// The program's argv as main() got it; IProcess::args() gives these once set (argc 0 or a null
// argv: /proc/self/cmdline). Tests set their own.
void setProgramArgs(int argc, char** argv);
std::unique_ptr<IModuleRegistry> makeModuleRegistry();
// Registers "tier0.dll" and "vstdlib.dll" (later: the other built-in libraries).
void registerBuiltinModules(IModuleRegistry& reg);
// "client_net.dll" (net_client.cpp) and "filesystem.dll"/"filesystem_steam.dll"
// (filesystem_module.cpp).
void registerNetClientModule(IModuleRegistry& reg);
void registerFileSystemModules(IModuleRegistry& reg);

// The game folder, decided here for both backends and the process: the given folder, else
// VELDRA_GAME_DIR, else the executable's folder; absolute, normalised, no trailing '/'.
std::string resolveGameDir(const std::string& given = {});
// The registry file: VELDRA_REGISTRY, else registry.ini in the game folder.
std::string registryPath(const std::string& gameDir);
// Writes a line to stderr when VELDRA_DEBUG_OUT=1.
void debugOutToStderr(std::string_view text);

}  // namespace plat::common
