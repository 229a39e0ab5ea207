// The sample web site the updater fetches its server list, version file and patch from.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/mkgame/mkgame.h"
#include "tools/mkzip/mkzip.h"

namespace mkgame {

namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

mkzip::Entry entry(const std::string& name, const std::string& data) {
  mkzip::Entry e;
  e.name = name;
  e.data = data;
  return e;
}

}  // namespace

void writeSite(const std::string& siteDir, const std::string& baseUrl, int gatewayPort, bool patch) {
  const fs::path site(siteDir);
  writeText(site / "autoupd/server.txt", "id1=100100\r\nline1=1\r\nloginIP1=127.0.0.1\r\nver1=1.0.1\r\nname1=Demo\r\n"
                                         "loginPort1=" + std::to_string(gatewayPort) + "\r\nupdateAddr1=" + baseUrl +
                                         "/autoupd/version.txt\r\n");
  std::string versions = "[version+]\r\n";
  const fs::path archive = site / "patches/p1.zip";
  fs::remove(archive);
  if (patch) {
    fs::create_directories(archive.parent_path());
    const std::string note = "Demo patch " + std::string(SITE_PATCH_VERSION) + "\r\n";
    std::string error;
    if (!mkzip::writeZip(archive.string(),
                         {entry("patch/readme.txt", note), entry("Patch.ini", "[DeleteFiles]\r\n1=patch\\old.txt\r\n")},
                         &error))
      throw std::runtime_error(error);
    versions += std::string(SITE_PATCH_VERSION) + "=" + std::to_string(fs::file_size(archive)) + "/" + baseUrl +
                "/patches/p1.zip\r\n";
  }
  writeText(site / "autoupd/version.txt", versions);
}

}  // namespace mkgame
