// The codec as the built-in module "jcodec15.dll" of the platform's module registry.
#include "jpeg/jcodec.h"
#include "plat/platform.h"

void jpeg_register_module() {
  plat::ModuleInfo info;
  info.name = "jcodec15.dll";
  info.ordinals[2] = reinterpret_cast<void*>(&JpegCodecInit);
  info.ordinals[3] = reinterpret_cast<void*>(&JpegCodecFree);
  info.ordinals[4] = reinterpret_cast<void*>(&JpegCodecRead);
  plat::get().modules().add(std::move(info));
}
