// A temporary game folder under TMPDIR, removed afterwards unless VELDRA_KEEP_TMP=1.
#pragma once
#include <string>
#include <string_view>

namespace veldra_test {

class TempGameDir {
 public:
  TempGameDir();
  ~TempGameDir();
  TempGameDir(const TempGameDir&) = delete;
  TempGameDir& operator=(const TempGameDir&) = delete;

  // Absolute host path of the folder (no trailing '/').
  const std::string& path() const { return path_; }
  // path() + "/" + rel; rel uses '/' and host (UTF-8) names.
  std::string hostPath(std::string_view rel) const;
  // Writes the bytes exactly, making the parent folders.
  void write(std::string_view rel, std::string_view bytes) const;
  // The file's bytes exactly; throws std::runtime_error when it cannot be read.
  std::string read(std::string_view rel) const;
  bool exists(std::string_view rel) const;
  void mkdir(std::string_view rel) const;  // with parents

 private:
  std::string path_;
};

}  // namespace veldra_test
