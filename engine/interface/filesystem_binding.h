// The file-system library ("VFileSystem009"), chosen by the command line.
#pragma once
#include "plat/modules.h"
#include "plat/vfilesystem.h"

// Binds "filesystem.dll", or "filesystem_steam.dll" under "-steam" or "-steamlocal". 1 bound;
// a failure is a fatal tier0 Error.
int filesystem_load();
plat::ModuleHandle filesystem_get_module();
// Through the bound file system's module loading, else module_load.
plat::ModuleHandle filesystem_load_module(const char* name);
// 1 when the file system reports itself usable, else 0 (also when none is bound).
int filesystem_start();
// The bound interface, null until filesystem_load succeeds (the config loaders read through it).
plat::IVFileSystem* filesystem_interface();

// Tests only: unbound again.
void filesystem_binding_reset();
