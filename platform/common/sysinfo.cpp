// System information from CPUID, /proc, sysinfo and the network interfaces.
#include <cpuid.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include "common/common.h"

namespace plat::common {

namespace {

std::string cpuVendor() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(0, &a, &b, &c, &d)) return {};
  char v[13];
  std::memcpy(v, &b, 4);
  std::memcpy(v + 4, &d, 4);
  std::memcpy(v + 8, &c, 4);
  v[12] = '\0';
  return v;
}

bool hasMmx() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (d >> 23) & 1;
}

// The first "cpu MHz" line; 0 when there is none (never a timed measurement).
uint32_t cpuMhz() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.compare(0, 7, "cpu MHz") != 0) continue;
    size_t colon = line.find(':');
    if (colon == std::string::npos) return 0;
    double mhz = std::strtod(line.c_str() + colon + 1, nullptr);
    return mhz > 0 && mhz < 1e6 ? static_cast<uint32_t>(mhz + 0.5) : 0;
  }
  return 0;
}

std::string hostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string userName() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buf(size > 0 ? static_cast<size_t>(size) : 16384, '\0');
  passwd pw{};
  passwd* result = nullptr;
  if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_name)
    return result->pw_name;
  const char* user = std::getenv("USER");
  return user ? user : "";
}

// The first interface in index order that is not loopback and has a non-zero hardware address,
// as "%02x-%02x-%02x-%02x-%02x-%02x".
std::string macAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::map<int, std::string> byIndex;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_PACKET || (i->ifa_flags & IFF_LOOPBACK)) continue;
    const auto* ll = reinterpret_cast<const sockaddr_ll*>(i->ifa_addr);
    if (ll->sll_halen != 6) continue;
    bool zero = true;
    for (int k = 0; k < 6; ++k) zero = zero && ll->sll_addr[k] == 0;
    if (zero) continue;
    char text[18];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", ll->sll_addr[0], ll->sll_addr[1],
                  ll->sll_addr[2], ll->sll_addr[3], ll->sll_addr[4], ll->sll_addr[5]);
    byIndex.emplace(ll->sll_ifindex, text);
  }
  freeifaddrs(list);
  return byIndex.empty() ? std::string() : byIndex.begin()->second;
}

class PosixSystemInfo final : public ISystemInfo {
 public:
  SystemInfo query() override {
    SystemInfo s;
    s.cpuVendor = cpuVendor();
    s.cpuMhz = cpuMhz();
    s.mmx = hasMmx();
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
      uint64_t unit = si.mem_unit ? si.mem_unit : 1;
      s.totalMemory = static_cast<uint64_t>(si.totalram) * unit;
      s.availableMemory = static_cast<uint64_t>(si.freeram) * unit;
    }
    s.computerName = hostName();
    s.userName = userName();
    s.macAddress = macAddress();
    return s;
  }
};

}  // namespace

std::unique_ptr<ISystemInfo> makePosixSystemInfo() { return std::make_unique<PosixSystemInfo>(); }

}  // namespace plat::common
