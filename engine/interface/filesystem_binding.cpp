// Binding of the file-system library.
#include "engine/interface/filesystem_binding.h"

#include "core/reset/module_resets.h"
#include "engine/interface/interface_registry.h"
#include "plat/tier0.h"

namespace {

struct FileSystemBinding {
  plat::ModuleHandle module = 0;
  plat::CreateInterfaceFn factory = nullptr;
  plat::IVFileSystem* fs = nullptr;
};
FileSystemBinding g_binding;

}  // namespace

int filesystem_load() {
  const plat::vstd::CommandLine& cl = plat::vstd::commandLine();
  const char* name = plat::kFileSystemModule;
  if (cl.checkParm("-steam") || cl.checkParm("-steamlocal")) name = plat::kFileSystemSteamModule;

  g_binding.module = module_load(name);
  if (g_binding.module == 0) {
    plat::tier0::error("Unable to load %s", name);
  }
  g_binding.factory = module_get_factory(g_binding.module);
  if (!g_binding.factory) {
    plat::tier0::error("Unable to get filesystem factory");
  }
  g_binding.fs = static_cast<plat::IVFileSystem*>(g_binding.factory(plat::kFileSystemInterface, nullptr));
  if (!g_binding.fs) {
    plat::tier0::error("Unable to get IFileSystem interface from filesystem factory");
  }
  return 1;
}

plat::ModuleHandle filesystem_get_module() { return g_binding.module; }

plat::ModuleHandle filesystem_load_module(const char* name) {
  if (!g_binding.fs) return module_load(name);
  return g_binding.fs->loadModule(name);
}

int filesystem_start() {
  if (!g_binding.fs) return 0;
  return g_binding.fs->start() == 0 ? 1 : 0;
}

plat::IVFileSystem* filesystem_interface() { return g_binding.fs; }

void filesystem_binding_reset() { g_binding = FileSystemBinding{}; }

static const ModuleReset k_reset("file system binding", filesystem_binding_reset);
