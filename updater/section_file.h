// Text files of "[section]" headers and "key = value" lines (version.txt), looked up without
// regard to ASCII case. Only "\r\n" ends a line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

constexpr size_t SECTION_FILE_BLOCK = 2048;

// The lines of a file fed in blocks of any size: a "\r" that ends one block and a "\n" that
// starts the next still end a line.
class SectionLineIndex {
 public:
  struct Line {
    uint64_t offset = 0;
    uint64_t length = 0;  // without the "\r\n"
  };

  void feed(std::span<const uint8_t> block);
  // The text after the last "\r\n" is a line too.
  void finish();
  const std::vector<Line>& lines() const { return lines_; }
  uint64_t longest() const { return longest_; }

 private:
  void add(uint64_t end);

  std::vector<Line> lines_;
  uint64_t at_ = 0;         // offset of the next byte fed
  uint64_t lineStart_ = 0;
  uint64_t longest_ = 0;
  bool pendingCr_ = false;  // the byte before at_ was a "\r"
};

class CSectionFile {
 public:
  // Discards what was loaded, indexes the file in blocks of SECTION_FILE_BLOCK bytes, then reads
  // each line back by its offset. 0, or -1 when the file does not open or a line cannot be read
  // back whole.
  int Load(std::string_view path);
  // The same over bytes in memory, indexed in blocks of blockSize (at least 1).
  int LoadBytes(std::span<const uint8_t> bytes, size_t blockSize = SECTION_FILE_BLOCK);

  // Entries of the first section of that name, or -1.
  int GetKeyCount(std::string_view section) const;
  // Entry `index` of the first section of that name: 0, or -1.
  int GetEntry(int index, std::string_view section, std::string& key, std::string& value) const;
  // The first entry of that key in the sections of that name, in file order: 0, or -1.
  int GetValue(std::string_view section, std::string_view key, std::string& value) const;
  void Close();

 private:
  struct Entry {
    std::string key;  // folded to lower case
    std::string value;
  };
  struct Section {
    std::string name;  // folded to lower case
    std::vector<Entry> entries;
  };

  void parseLine(std::string_view line);
  const Section* firstSection(const std::string& folded) const;

  std::vector<Section> sections_;
  size_t longestName_ = 0;
  size_t longestKey_ = 0;
};

}  // namespace updater
