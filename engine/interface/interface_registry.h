// Binding to run-time libraries by name: loading, their CreateInterface factories, and the
// client's own factory.
#pragma once
#include <cstdint>

#include "plat/modules.h"

// One record of the client's own interface list.
struct INTERFACE_REG {
  void* (*create)();
  const char* name;
  INTERFACE_REG* next;
};

// Head of the own list: empty, and nothing in the client adds to it (tests may).
extern INTERFACE_REG* interface_list_head;

// The client's own factory: the record's interface with *rc = 0 (when rc is given), else null
// with *rc = 1.
void* create_interface(const char* name, int* rc);
plat::CreateInterfaceFn get_own_factory();
// The library by name, else the name + ".dll"; 0 when neither loads.
plat::ModuleHandle module_load(const char* name);
// The module's CreateInterface; null for no module.
plat::CreateInterfaceFn module_get_factory(plat::ModuleHandle module);

// Tests only: the own list empty again.
void interface_registry_reset();
