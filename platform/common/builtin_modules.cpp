// The built-in stand-ins of the engine's run-time libraries, registered by their library names.
//
// Exports by ordinal (the engine calls plat::tier0 and plat::vstd directly; these are for code
// that looks them up):
//   tier0.dll    1 alloc  2 realloc  3 free  4 msTime  5 floatTime  6 error  7 setSpewOutputFunc
//   vstdlib.dll  1 commandLine  2 strncpy  3 snprintf  4 strcat  5 strncat  6 atoi
// Neither library offers an interface: CreateInterface answers null with *rc = 1.
#include "common/common.h"
#include "plat/tier0.h"

namespace plat::common {

namespace {

void* noInterface(const char* /*name*/, int* rc) {
  if (rc) *rc = 1;
  return nullptr;
}

template <typename F>
void* exported(F* fn) {
  return reinterpret_cast<void*>(fn);
}

}  // namespace

void registerBuiltinModules(IModuleRegistry& reg) {
  ModuleInfo tier0{"tier0.dll", noInterface, {}};
  tier0.ordinals = {
      {1, exported(&plat::tier0::alloc)},     {2, exported(&plat::tier0::realloc)},
      {3, exported(&plat::tier0::free)},      {4, exported(&plat::tier0::msTime)},
      {5, exported(&plat::tier0::floatTime)}, {6, exported(&plat::tier0::error)},
      {7, exported(&plat::tier0::setSpewOutputFunc)},
  };
  reg.add(std::move(tier0));

  ModuleInfo vstdlib{"vstdlib.dll", noInterface, {}};
  vstdlib.ordinals = {
      {1, exported(&plat::vstd::commandLine)}, {2, exported(&plat::vstd::Q_strncpy)},
      {3, exported(&plat::vstd::Q_snprintf)},  {4, exported(&plat::vstd::Q_strcat)},
      {5, exported(&plat::vstd::Q_strncat)},   {6, exported(&plat::vstd::Q_atoi)},
  };
  reg.add(std::move(vstdlib));

  registerNetClientModule(reg);
  registerFileSystemModules(reg);
}

}  // namespace plat::common
