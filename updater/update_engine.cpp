// The version check and the patch run of the update engine.
#include "updater/update_engine.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "plat/files.h"
#include "plat/platform.h"
#include "plat/profile.h"
#include "updater/fetch_window.h"
#include "updater/ftp_client.h"
#include "updater/http_downloader.h"
#include "updater/module_path.h"
#include "updater/patch_apply.h"
#include "updater/progress_sink.h"
#include "updater/section_file.h"
#include "updater/version_number.h"

namespace updater {

namespace {

constexpr const char* VERSION_FILE = "version.txt";
constexpr const char* NOTICE_FILE = "Affiche01.txt";
constexpr const char* NOTICE_COPY = "download\\Affiche01.txt";
constexpr int64_t TOTAL_SIZE_MAX = 0x7FFFFFFF;

void say(const std::string& text) { plat::get().debugOut("engine: " + text); }

std::string readVersionOf(const std::string& iniPath) {
  return plat::profile::getString(iniPath, CFtpConfig::SECTION, CFtpConfig::KEY_VERSION, "", CURRENT_VERSION_CHARS);
}

// The text before the first "/" of a "size/URL" value, and the text after it.
std::string sizeText(const std::string& value) { return value.substr(0, value.find('/')); }
std::string urlText(const std::string& value) {
  const size_t slash = value.find('/');
  return slash == std::string::npos ? std::string() : value.substr(slash + 1);
}

// Copies a fetched file over its place in the game folder, through a temporary file.
bool copyOver(const std::string& from, const std::string& to) {
  plat::IFileSystem& fs = plat::get().files();
  std::unique_ptr<plat::File> in = fs.open(from, "rb");
  if (!in) return false;
  const size_t cut = to.find_last_of("\\/");
  if (cut != std::string::npos && !fs.isDir(to.substr(0, cut))) fs.mkdir(to.substr(0, cut));
  const std::string tmp = to + ".tmp";
  bool ok = false;
  {
    std::unique_ptr<plat::File> out = fs.open(tmp, "wb");
    if (out) {
      std::vector<uint8_t> block(64 * 1024);
      ok = true;
      for (size_t n; ok && (n = in->read(block.data(), block.size())) > 0;) ok = out->write(block.data(), n) == n;
      ok = ok && out->flush();
    }
  }
  ok = ok && fs.replaceFile(tmp, to);
  if (!ok) fs.remove(tmp);
  return ok;
}

}  // namespace

CUpdateEngine::CUpdateEngine(CHttpDownloader* downloader) : config_(engineFtpConfig()), downloader_(downloader) {
  if (!downloader_) {
    ownDownloader_ = std::make_unique<CHttpDownloader>(timing);
    downloader_ = ownDownloader_.get();
  }
  applyArchive = ApplyPatchArchive;
}

CUpdateEngine::~CUpdateEngine() = default;

int CUpdateEngine::CheckVersion(const std::string& settingsPath, IProgressSink* sink, int ftpFlag) {
  sink_ = sink;
  config_.iniPath = settingsPath;
  versions_.clear();
  values_.clear();
  sizes_.clear();
  patchVersion_.clear();
  patchFile_.clear();
  patchBarrier_ = false;
  totalSize_ = 0;

  plat::Platform& p = plat::get();
  if (ftpFlag) {
    int fetched = 0;
    for (int i = 0; i < VERSION_FTP_TRIES && !fetched; ++i) {
      fetched = FetchByFtp(ModulePath(VERSION_FILE), VERSION_FILE);
      if (!fetched) p.clock().sleepMs(timing.ftpFetchRetryMs);
    }
    if (!fetched) {
      say("version.txt not fetched over FTP");
      return 0;
    }
    if (FetchByFtp(ModulePath(NOTICE_FILE), NOTICE_FILE)) {
      if (!copyOver(ModulePath(NOTICE_FILE), ModulePath(NOTICE_COPY))) say("notice not copied");
      p.files().remove(ModulePath(NOTICE_FILE));
    }
  }

  const uint32_t current = VersionNumber(readVersionOf(settingsPath));
  CSectionFile versionFile;
  if (versionFile.Load(ModulePath(VERSION_FILE)) != 0) {
    say("version.txt cannot be read");
    return 0;
  }
  std::string key, value;
  std::vector<uint32_t> numbers;  // beside versions_
  auto insertAt = [&](size_t at, uint32_t v) {
    versions_.insert(versions_.begin() + static_cast<std::ptrdiff_t>(at), key);
    numbers.insert(numbers.begin() + static_cast<std::ptrdiff_t>(at), v);
  };

  // Upgrades, ascending; equal versions keep their file order.
  bool upgrade = false;
  const int upCount = versionFile.GetKeyCount("version+");
  for (int i = 0; i < upCount; ++i) {
    if (versionFile.GetEntry(i, "version+", key, value) != 0) continue;
    const uint32_t v = VersionNumber(key);
    upgrade = v > current;
    if (upgrade) insertAt(std::find_if(numbers.begin(), numbers.end(), [&](uint32_t n) { return n > v; }) - numbers.begin(), v);
  }
  // Without an upgrade, the versions below the current one, descending.
  if (!upgrade) {
    const int downCount = versionFile.GetKeyCount("version-");
    for (int i = 0; i < downCount; ++i) {
      if (versionFile.GetEntry(i, "version-", key, value) != 0) continue;
      const uint32_t v = VersionNumber(key);
      if (v < current)
        insertAt(std::find_if(numbers.begin(), numbers.end(), [&](uint32_t n) { return n < v; }) - numbers.begin(), v);
    }
  }

  // The patch barrier: the lowest "patch" version above the one in "MUpdate.ini".
  const uint32_t barrierBase = VersionNumber(readVersionOf(ModulePath("MUpdate.ini")));
  bool havePatch = false;
  uint32_t patch = 0;
  const int patchCount = versionFile.GetKeyCount("patch");
  for (int i = 0; i < patchCount; ++i) {
    if (versionFile.GetEntry(i, "patch", key, value) != 0) continue;
    const uint32_t v = VersionNumber(key);
    if (v > barrierBase && (!havePatch || v < patch)) {
      havePatch = true;
      patch = v;
      patchVersion_ = key;
      patchFile_ = value;
    }
  }
  if (havePatch) {
    const size_t atOrAbove = static_cast<size_t>(std::count_if(numbers.begin(), numbers.end(), [&](uint32_t n) { return n >= patch; }));
    if (atOrAbove > 0 || current > patch) patchBarrier_ = true;
    versions_.resize(versions_.size() - atOrAbove);
  }

  int64_t total = 0;
  const char* section = upgrade ? "version+" : "version-";
  for (const std::string& version : versions_) {
    std::string found;
    versionFile.GetValue(section, version, found);
    values_.push_back(found);
    sizes_.push_back(sizeText(found));
    total = std::min<int64_t>(total + std::atoi(sizes_.back().c_str()), TOTAL_SIZE_MAX);
  }
  totalSize_ = static_cast<int32_t>(std::max<int64_t>(total, 0));
  versionFile.Close();
  say("current " + readVersionOf(settingsPath) + ", " + std::to_string(versions_.size()) + " archives, " +
      std::to_string(totalSize_) + " bytes" + (patchBarrier_ ? ", barrier " + patchVersion_ : ""));
  return 1;
}

int CUpdateEngine::DownloadPatches() {
  std::string lastApplied;
  bool applied = false;
  for (size_t i = 0; i < values_.size(); ++i) {
    const std::string& version = versions_[i];
    if (sink_) sink_->OnFetchVersion(version);
    const int32_t size = std::atoi(sizeText(values_[i]).c_str());
    if (!DownloadPatch(version, urlText(values_[i]), ModulePath("bin.zip"), size)) {
      if (applied) writeCurrentVersion(lastApplied);
      say("archive " + version + " failed");
      return 0;
    }
    if (applied && lastApplied != version) writeCurrentVersion(lastApplied);
    lastApplied = version;
    applied = true;
  }
  writeCurrentVersion(GetTargetVersion());
  return 1;
}

int CUpdateEngine::DownloadPatch(const std::string& version, const std::string& url, const std::string& target, int32_t size) {
  downloader_->SetTiming(timing);
  FetchRequest request;
  request.url = url;
  request.localPath = target;
  request.windowMs = timing.patchFetchWindowMs;
  request.sink = sink_;
  request.announcedSize = size;
  if (!FetchWithinWindow(*downloader_, request, timing)) {
    say("archive " + version + " not downloaded");
    return 0;
  }
  const int applied = applyArchive(target);
  say("archive " + version + (applied ? " applied" : " not applied"));
  return applied;
}

int CUpdateEngine::FetchByFtp(const std::string& localPath, const std::string& remoteName) {
  std::unique_ptr<plat::File> file = plat::get().files().open(localPath, "wb");
  if (!file) return 0;
  CFtpClient client(timing);
  const int rc = client.Download(config_.server, config_.directory, config_.userName, config_.password, remoteName, *file);
  client.Close();
  file.reset();
  if (rc != 0) say("FTP " + remoteName + " failed with " + std::to_string(rc));
  return rc == 0 ? 1 : 0;
}

int CUpdateEngine::GetFileSize(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= sizes_.size()) return 0;
  return std::atoi(sizes_[static_cast<size_t>(i)].c_str());
}

void CUpdateEngine::GetPatchInfo(std::string& version, std::string& file, bool& barrier) const {
  version = patchVersion_;
  file = patchFile_;
  barrier = patchBarrier_;
}

void CUpdateEngine::writeCurrentVersion(const std::string& version) {
  if (!plat::profile::writeString(config_.iniPath, CFtpConfig::SECTION, CFtpConfig::KEY_VERSION, version))
    say("CurrentVersion not written to " + config_.iniPath);
}

std::string ReadCurrentVersion() { return readVersionOf(ModulePath("Update.ini")); }

}  // namespace updater
