#include "updater/section_file.h"

#include <algorithm>

#include "plat/cp936.h"
#include "plat/platform.h"

namespace updater {

namespace {

// Blanks are the space character only; tabs stay part of the text.
std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

void SectionLineIndex::feed(std::span<const uint8_t> block) {
  for (uint8_t b : block) {
    const uint64_t here = at_++;
    if (pendingCr_) {
      pendingCr_ = false;
      if (b == '\n') {
        add(here - 1);
        lineStart_ = here + 1;
        continue;
      }
    }
    if (b == '\r') pendingCr_ = true;
  }
}

void SectionLineIndex::finish() {
  add(at_);
  lineStart_ = at_;
  pendingCr_ = false;
}

void SectionLineIndex::add(uint64_t end) {
  const Line line{lineStart_, end - lineStart_};
  longest_ = std::max(longest_, line.length);
  lines_.push_back(line);
}

int CSectionFile::Load(std::string_view path) {
  Close();
  auto file = plat::get().files().open(path, "rb");
  if (!file) return -1;
  SectionLineIndex index;
  uint8_t block[SECTION_FILE_BLOCK];
  for (;;) {
    const size_t n = file->read(block, sizeof block);
    if (n == 0) break;
    index.feed({block, n});
  }
  index.finish();
  std::string line;
  for (const SectionLineIndex::Line& l : index.lines()) {
    line.resize(l.length);
    if (!file->seek(static_cast<int64_t>(l.offset), 0) || file->read(line.data(), line.size()) != line.size()) {
      Close();
      return -1;
    }
    parseLine(line);
  }
  return 0;
}

int CSectionFile::LoadBytes(std::span<const uint8_t> bytes, size_t blockSize) {
  Close();
  if (blockSize == 0) blockSize = 1;
  SectionLineIndex index;
  for (size_t at = 0; at < bytes.size(); at += blockSize) index.feed(bytes.subspan(at, std::min(blockSize, bytes.size() - at)));
  index.finish();
  for (const SectionLineIndex::Line& l : index.lines()) {
    if (l.offset + l.length > bytes.size()) {
      Close();
      return -1;
    }
    parseLine({reinterpret_cast<const char*>(bytes.data()) + l.offset, static_cast<size_t>(l.length)});
  }
  return 0;
}

void CSectionFile::parseLine(std::string_view line) {
  const size_t eq = line.find('=');
  if (eq != std::string_view::npos) {
    const std::string_view key = trimSpaces(line.substr(0, eq));
    if (key.empty() || sections_.empty()) return;
    Entry e{plat::cp936::asciiLower(key), std::string(trimSpaces(line.substr(eq + 1)))};
    longestKey_ = std::max(longestKey_, e.key.size());
    sections_.back().entries.push_back(std::move(e));
    return;
  }
  const std::string_view t = trimSpaces(line);
  if (t.size() < 3 || t.front() != '[' || t.back() != ']') return;
  const std::string_view name = trimSpaces(t.substr(1, t.size() - 2));
  if (name.empty()) return;
  sections_.push_back(Section{plat::cp936::asciiLower(name), {}});
  longestName_ = std::max(longestName_, name.size());
}

const CSectionFile::Section* CSectionFile::firstSection(const std::string& folded) const {
  for (const Section& s : sections_)
    if (s.name == folded) return &s;
  return nullptr;
}

int CSectionFile::GetKeyCount(std::string_view section) const {
  if (section.size() > longestName_) return -1;
  const Section* s = firstSection(plat::cp936::asciiLower(section));
  return s ? static_cast<int>(s->entries.size()) : -1;
}

int CSectionFile::GetEntry(int index, std::string_view section, std::string& key, std::string& value) const {
  if (section.size() > longestName_) return -1;
  const Section* s = firstSection(plat::cp936::asciiLower(section));
  if (!s || index < 0 || static_cast<size_t>(index) >= s->entries.size()) return -1;
  key = s->entries[static_cast<size_t>(index)].key;
  value = s->entries[static_cast<size_t>(index)].value;
  return 0;
}

int CSectionFile::GetValue(std::string_view section, std::string_view key, std::string& value) const {
  if (section.size() > longestName_ || key.size() > longestKey_) return -1;
  const std::string name = plat::cp936::asciiLower(section);
  const std::string k = plat::cp936::asciiLower(key);
  for (const Section& s : sections_) {
    if (s.name != name) continue;
    for (const Entry& e : s.entries) {
      if (e.key == k) {
        value = e.value;
        return 0;
      }
    }
  }
  return -1;
}

void CSectionFile::Close() {
  sections_.clear();
  longestName_ = 0;
  longestKey_ = 0;
}

}  // namespace updater
