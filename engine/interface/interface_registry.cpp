// The client's own interface list and the library loading helpers.
#include "engine/interface/interface_registry.h"

#include <cstring>

#include "core/reset/module_resets.h"
#include "plat/platform.h"
#include "plat/tier0.h"

INTERFACE_REG* interface_list_head = nullptr;

void* create_interface(const char* name, int* rc) {
  for (INTERFACE_REG* r = interface_list_head; r; r = r->next) {
    if (name && r->name && std::strcmp(r->name, name) == 0) {
      if (rc) *rc = 0;
      return r->create();
    }
  }
  if (rc) *rc = 1;
  return nullptr;
}

plat::CreateInterfaceFn get_own_factory() { return create_interface; }

plat::ModuleHandle module_load(const char* name) {
  if (!name) return 0;
  plat::IModuleRegistry& modules = plat::get().modules();
  plat::ModuleHandle h = modules.load(name);
  if (h == 0) {
    char with_ext[512];
    plat::vstd::Q_snprintf(with_ext, sizeof with_ext, "%s.dll", name);
    h = modules.load(with_ext);
  }
  return h;
}

plat::CreateInterfaceFn module_get_factory(plat::ModuleHandle module) {
  if (module == 0) return nullptr;
  return plat::get().modules().factory(module);
}

void interface_registry_reset() { interface_list_head = nullptr; }

static const ModuleReset k_reset("interface registry", interface_registry_reset);
