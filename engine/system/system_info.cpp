// Questions about the machine, answered from the platform's system information and registry.
#include <cstring>
#include <string>

#include "engine/system/system_state.h"
#include "plat/cp936.h"
#include "plat/platform.h"

namespace {

void copy_text(char* out, size_t size, const std::string& text) {
  const size_t n = plat::cp936::fitLength(text, size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = 0;
}

}  // namespace

void sys_get_memory(uint64_t* total, uint64_t* available) {
  const plat::SystemInfo info = plat::get().systemInfo().query();
  if (total) *total = info.totalMemory;
  if (available) *available = info.availableMemory;
}

// Asked once: the original measured the clock for a whole second.
uint32_t sys_get_cpu_mhz() {
  SystemState& st = system_state();
  if (!st.cpu_mhz_asked) {
    st.cpu_mhz = plat::get().systemInfo().query().cpuMhz;
    st.cpu_mhz_asked = true;
  }
  return static_cast<uint32_t>(st.cpu_mhz);
}

const char* sys_get_cpu_vendor() {
  SystemState& st = system_state();
  if (st.vendor[0] == 0) copy_text(st.vendor, sizeof(st.vendor), plat::get().systemInfo().query().cpuVendor);
  return st.vendor;
}

// Always the NT family.
int sys_get_windows_kind() { return 3; }

int sys_is_simplified_chinese_locale() {
  SystemState& st = system_state();
  std::memset(st.locale, 0, sizeof(st.locale));
  const auto value = plat::get().registry().readString(plat::Hive::CurrentUser, "Control Panel\\International", "locale");
  if (!value) return 0;
  copy_text(st.locale, sizeof(st.locale), *value);
  return std::strcmp(st.locale, "00000804") == 0 ? 1 : 0;
}

const char* sys_get_computer_name() {
  SystemState& st = system_state();
  copy_text(st.computer_name, sizeof(st.computer_name), plat::get().systemInfo().query().computerName);
  return st.computer_name;
}

const char* sys_get_user_name() {
  SystemState& st = system_state();
  copy_text(st.user_name, sizeof(st.user_name), plat::get().systemInfo().query().userName);
  return st.user_name;
}

// There is no Windows folder.
const char* sys_get_windows_dir() {
  SystemState& st = system_state();
  st.windows_dir[0] = 0;
  return st.windows_dir;
}

uint32_t sys_get_volume_serial() { return 0; }
