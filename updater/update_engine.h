// The update engine: which patch archives the game folder needs ("version.txt" against the
// version in "Update.ini"), and their download and application in order.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "updater/ftp_config.h"
#include "updater/timing.h"

namespace updater {

class CHttpDownloader;
class IProgressSink;

constexpr int VERSION_FTP_TRIES = 3;
constexpr size_t CURRENT_VERSION_CHARS = 1024;  // the buffer "CurrentVersion" is read into

class CUpdateEngine {
 public:
  // Downloads go through `downloader` (tests pass a fake); the engine's own when null.
  explicit CUpdateEngine(CHttpDownloader* downloader = nullptr);
  ~CUpdateEngine();
  CUpdateEngine(const CUpdateEngine&) = delete;
  CUpdateEngine& operator=(const CUpdateEngine&) = delete;

  // Builds the list of archives from "version.txt" in the game folder and "CurrentVersion" of
  // `settingsPath`; with ftpFlag, first fetches "version.txt" and "Affiche01.txt" over FTP.
  // 1, or 0 when "version.txt" cannot be fetched or read.
  int CheckVersion(const std::string& settingsPath, IProgressSink* sink, int ftpFlag);
  // Downloads and applies every archive of the list in order, recording in "CurrentVersion"
  // the version reached. 1 when all were applied, 0 when one failed.
  int DownloadPatches();
  // Tries until the patch window has passed: the download into `target`, then the archive
  // applied in its folder. 1, or 0 when the time ran out or the archive could not be applied.
  int DownloadPatch(const std::string& version, const std::string& url, const std::string& target, int32_t size);
  // Fetches `remoteName` over FTP into `localPath`; 1 when the client returned 0, else 0.
  int FetchByFtp(const std::string& localPath, const std::string& remoteName);

  int GetFileCount() const { return static_cast<int>(versions_.size()); }
  int32_t GetTotalSize() const { return totalSize_; }
  std::string GetTargetVersion() const { return versions_.empty() ? std::string() : versions_.back(); }
  int GetFileSize(int i) const;
  void GetPatchInfo(std::string& version, std::string& file, bool& barrier) const;

  const std::vector<std::string>& versions() const { return versions_; }
  const std::vector<std::string>& values() const { return values_; }

  Timing timing;
  // Applies a downloaded archive: ApplyPatchArchive unless a test replaces it.
  std::function<int(const std::string& archive)> applyArchive;

 private:
  void writeCurrentVersion(const std::string& version);

  CFtpConfig& config_;
  std::vector<std::string> versions_;  // version texts, in the order they are fetched
  std::vector<std::string> values_;    // the matching "size/URL" texts
  std::vector<std::string> sizes_;     // the size texts
  std::string patchVersion_;
  std::string patchFile_;
  bool patchBarrier_ = false;
  int32_t totalSize_ = 0;
  IProgressSink* sink_ = nullptr;
  std::unique_ptr<CHttpDownloader> ownDownloader_;
  CHttpDownloader* downloader_ = nullptr;
};

// "CurrentVersion" of section "FTPConfig" of "Update.ini" in the game folder; "" when absent.
std::string ReadCurrentVersion();

}  // namespace updater
