#include <optional>
#include <string>
#include <string_view>

#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"

namespace {

struct ClassRegistry : plat::IRegistry {
  uint32_t cls = 0;
  std::optional<std::string> readString(plat::Hive, std::string_view, std::string_view) override { return {}; }
  std::optional<uint32_t> readDword(plat::Hive, std::string_view, std::string_view v) override {
    return v == "USECPU" ? std::optional<uint32_t>(cls) : std::nullopt;
  }
  bool keyExists(plat::Hive, std::string_view) override { return true; }
};

}  // namespace

void jpeg_pin_class(uint32_t cls) {
  static ClassRegistry reg;
  reg.cls = cls;
  jpeg_set_registry_override(&reg);
}
