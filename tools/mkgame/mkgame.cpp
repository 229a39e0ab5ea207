// The sample game folder's file set: the start-up manifests, the cursors and the front end's art,
// one file per name whatever its spelling.
#include "tools/mkgame/mkgame.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>

#include "plat/files.h"
#include "tools/curwrite/curwrite.h"
#include "tools/mdawriter/mdapack.h"
#include "tools/reswrite/reswrite.h"

namespace mkgame {

namespace fs = std::filesystem;

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// A script's commands, each with the records that follow it.
std::vector<std::vector<mdaw::ScriptRecord>> commands(const mdaw::MdaFile& f) {
  std::vector<std::vector<mdaw::ScriptRecord>> out;
  for (const mdaw::ScriptRecord& r : f.script) {
    if (r.type == 1 || out.empty()) out.emplace_back();
    out.back().push_back(r);
  }
  return out;
}

std::vector<fs::path> manifests(const fs::path& dir) {
  std::vector<fs::path> out;
  if (!fs::is_directory(dir)) return out;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file() && e.path().extension() == ".txt") out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

std::vector<MediaFile> startupMedia(const std::string& startupDir) {
  std::vector<MediaFile> out;
  const fs::path root = fs::path(startupDir) / "media";
  for (const fs::path& m : manifests(root)) {
    fs::path rel = fs::relative(m, root);
    rel.replace_extension(".mda");
    out.push_back({rel.generic_string(), mdaw::read_manifest(m.string())});
  }
  return out;
}

std::vector<GameFile> startupTables(const std::string& startupDir) {
  std::vector<GameFile> out;
  for (const fs::path& m : manifests(fs::path(startupDir) / "res"))
    out.push_back({"res/" + m.stem().string() + ".res", resw::write_table(resw::read_manifest(m.string()))});
  return out;
}

}  // namespace

std::string defaultStartupDir() { return VELDRA_STARTUP_DIR; }

mdaw::MdaFile mergeMedia(const mdaw::MdaFile& a, const mdaw::MdaFile& b) {
  mdaw::MdaFile out = a;
  std::set<std::string> names;
  for (const mdaw::MdaFrame& f : a.frames) names.insert(lower(f.name));
  for (const mdaw::MdaFrame& f : b.frames) {
    if (!names.insert(lower(f.name)).second) throw std::runtime_error("frame " + f.name + " is in both media files");
    out.frames.push_back(f);
  }
  std::set<std::string> replaced;
  for (const auto& c : commands(b))
    if (c.front().type == 1) replaced.insert(lower(c.front().text));
  out.script.clear();
  for (const auto& c : commands(a))
    if (c.front().type != 1 || !replaced.count(lower(c.front().text))) out.script.insert(out.script.end(), c.begin(), c.end());
  out.script.insert(out.script.end(), b.script.begin(), b.script.end());
  return out;
}

std::vector<GameFile> startupFiles(const std::string& startupDir) {
  std::vector<GameFile> out;
  for (const MediaFile& m : startupMedia(startupDir)) out.push_back({m.path, mdaw::mda_build(m.file)});
  for (GameFile& t : startupTables(startupDir)) out.push_back(std::move(t));
  return out;
}

std::vector<GameFile> cursorFiles() {
  std::vector<GameFile> out;
  for (int n = 0; n < curwrite::kCursorSetSize; ++n)
    out.push_back({"system/MOUSE" + std::to_string(n) + ".ani", curwrite::cursorSetFile(n)});
  return out;
}

std::vector<GameFile> gameFiles(const std::string& startupDir) {
  // Media by folded name: the front end's commands go into the start-up file of that name.
  std::vector<MediaFile> media = startupMedia(startupDir);
  std::map<std::string, size_t> byName;
  for (size_t i = 0; i < media.size(); ++i) byName[lower(media[i].path)] = i;
  auto merge = [&](std::vector<MediaFile> more) {
    for (MediaFile& m : more) {
      auto it = byName.find(lower(m.path));
      if (it != byName.end()) {
        media[it->second].file = mergeMedia(media[it->second].file, m.file);
      } else {
        byName[lower(m.path)] = media.size();
        media.push_back(std::move(m));
      }
    }
  };
  merge(frontEndMedia());
  merge(sceneLookMedia());
  std::vector<GameFile> out;
  for (const MediaFile& m : media) out.push_back({m.path, mdaw::mda_build(m.file)});
  std::set<std::string> taken;
  for (const GameFile& f : out) taken.insert(lower(f.path));
  auto add = [&](std::vector<GameFile> files) {
    for (GameFile& f : files) {
      const std::string key = lower(f.path);
      if (taken.count(key)) continue;  // media, already merged above
      taken.insert(key);
      out.push_back(std::move(f));
    }
  };
  add(startupTables(startupDir));
  add(cursorFiles());
  add(frontEndArt());
  add(gameSceneFiles());
  add(gameMapFiles());
  add(folderFiles());
  return out;
}

void writeFiles(const std::string& hostDir, const std::vector<GameFile>& files) {
  std::error_code ec;
  fs::create_directories(hostDir, ec);
  std::unique_ptr<plat::IFileSystem> game = plat::makePosixFileSystem(hostDir);
  for (const GameFile& f : files) {
    // The parents first: the file layer makes one folder at a time.
    for (size_t cut = f.path.find('/'); cut != std::string::npos; cut = f.path.find('/', cut + 1)) {
      const std::string dir = f.path.substr(0, cut);
      if (!game->isDir(dir) && !game->mkdir(dir))
        throw std::runtime_error("mkgame: cannot make " + dir + ": " + game->lastError());
    }
    std::unique_ptr<plat::File> out = game->open(f.path, "wb");
    if (!out || out->write(f.bytes.data(), f.bytes.size()) != f.bytes.size())
      throw std::runtime_error("mkgame: cannot write " + f.path + " in " + hostDir);
  }
}

void writeGame(const std::string& hostDir, const std::vector<GameFile>& files) {
  std::error_code ec;
  const bool empty = !fs::exists(hostDir, ec) || (fs::is_directory(hostDir, ec) && fs::is_empty(hostDir, ec));
  if (!empty && !fs::exists(fs::path(hostDir) / kMarker, ec))
    throw std::runtime_error(hostDir + " is not empty and was not made by mkgame (no " + kMarker + "); left alone");
  std::vector<GameFile> todo;
  for (const GameFile& f : files) {
    bool kept = false;
    for (const char* k : kKeptFiles) kept = kept || (lower(f.path) == k && fs::exists(fs::path(hostDir) / k, ec));
    if (!kept) todo.push_back(f);
  }
  const std::string note = "Made by mkgame: a sample game folder that mkgame may rewrite.\n";
  todo.push_back({kMarker, std::vector<uint8_t>(note.begin(), note.end())});
  writeFiles(hostDir, todo);
}

}  // namespace mkgame
