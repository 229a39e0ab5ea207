// Built-in stand-ins for the run-time libraries the programs load by name.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace plat {

using CreateInterfaceFn = void* (*)(const char* name, int* rc);
using ModuleHandle = uint32_t;  // 0 = not loaded

struct ModuleInfo {
  std::string name;                    // "tier0.dll"
  CreateInterfaceFn factory = nullptr; // CreateInterface, may be null
  std::map<int, void*> ordinals;       // exports by ordinal
};

class IModuleRegistry {
 public:
  virtual ~IModuleRegistry() = default;
  virtual void add(ModuleInfo info) = 0;  // replaces a module of the same name
  // Finds the name ignoring ASCII case, else the name + ".dll". 0 when unknown.
  virtual ModuleHandle load(std::string_view name) = 0;
  virtual CreateInterfaceFn factory(ModuleHandle h) = 0;
  virtual void* proc(ModuleHandle h, int ordinal) = 0;
  virtual void unload(ModuleHandle h) = 0;
  // Forgets a module (tests drive the failure roads with it); handles given out stop working.
  virtual void remove(std::string_view name) = 0;
};

}  // namespace plat
