// Ini files read and written as the Windows private profile functions do.
#include "plat/profile.h"

#include <memory>
#include <mutex>
#include <optional>

#include "plat/cp936.h"
#include "plat/files.h"
#include "plat/platform.h"

namespace plat::profile {

namespace {

constexpr std::string_view kNewLine = "\r\n";

// One line of the file: [begin, end) is its text without the line end; next is where the
// following line starts.
struct Line {
  enum class Kind { Other, Section, Entry };
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;
  Kind kind = Kind::Other;
  std::string_view name;   // the section's or the key's, trimmed
  std::string_view value;  // an entry's, trimmed and unquoted
};

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) return s.substr(1, s.size() - 2);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && cp936::asciiLower(a) == cp936::asciiLower(b);
}

Line classify(std::string_view text, size_t begin, size_t end, size_t next) {
  Line line;
  line.begin = begin;
  line.end = end;
  line.next = next;
  const std::string_view body = trim(text.substr(begin, end - begin));
  if (body.empty() || body.front() == ';') return line;
  if (body.front() == '[') {
    const size_t close = body.find(']');
    line.kind = Line::Kind::Section;
    line.name = trim(body.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    return line;
  }
  const size_t eq = body.find('=');
  if (eq == std::string_view::npos) return line;
  line.name = trim(body.substr(0, eq));
  if (line.name.empty()) return line;
  line.kind = Line::Kind::Entry;
  line.value = unquote(trim(body.substr(eq + 1)));
  return line;
}

std::vector<Line> split(std::string_view text) {
  std::vector<Line> lines;
  size_t begin = 0;
  while (begin < text.size()) {
    const size_t lf = text.find('\n', begin);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    const size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
    if (lf != std::string_view::npos && end > begin && text[end - 1] == '\r') --end;
    lines.push_back(classify(text, begin, end, next));
    begin = next;
  }
  return lines;
}

// The lines of the first section of that name: [first, last) indices into lines, first being
// the line after its header. nullopt when there is none.
struct Range {
  size_t header = 0;
  size_t first = 0;
  size_t last = 0;
};

std::optional<Range> findSection(const std::vector<Line>& lines, std::string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Kind::Section || !sameName(lines[i].name, section)) continue;
    size_t j = i + 1;
    while (j < lines.size() && lines[j].kind != Line::Kind::Section) ++j;
    return Range{i, i + 1, j};
  }
  return std::nullopt;
}

const Line* findEntry(const std::vector<Line>& lines, const Range& r, std::string_view key) {
  for (size_t i = r.first; i < r.last; ++i)
    if (lines[i].kind == Line::Kind::Entry && sameName(lines[i].name, key)) return &lines[i];
  return nullptr;
}

// Reads and writes of one file never interleave with a write.
std::mutex g_fileMutex;

std::optional<std::string> readFile(std::string_view path) {
  std::unique_ptr<File> f = get().files().open(path, "rb");
  if (!f) return std::nullopt;
  std::string bytes;
  char block[4096];
  for (size_t n; (n = f->read(block, sizeof block)) > 0;) bytes.append(block, n);
  return bytes;
}

bool hasLineEnd(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

bool findValue(std::string_view text, std::string_view section, std::string_view key, std::string& value) {
  const std::vector<Line> lines = split(text);
  const auto range = findSection(lines, section);
  if (!range) return false;
  const Line* entry = findEntry(lines, *range, key);
  if (!entry) return false;
  value.assign(entry->value);
  return true;
}

std::vector<std::string> keyNames(std::string_view text, std::string_view section) {
  std::vector<std::string> names;
  const std::vector<Line> lines = split(text);
  const auto range = findSection(lines, section);
  if (!range) return names;
  for (size_t i = range->first; i < range->last; ++i)
    if (lines[i].kind == Line::Kind::Entry) names.emplace_back(lines[i].name);
  return names;
}

std::string withValue(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
  const std::vector<Line> lines = split(text);
  const auto range = findSection(lines, section);
  std::string out;
  if (!range) {
    out.assign(text);
    if (!out.empty() && out.back() != '\n') out += kNewLine;
    out.append("[").append(section).append("]").append(kNewLine);
    out.append(key).append("=").append(value).append(kNewLine);
    return out;
  }
  if (const Line* entry = findEntry(lines, *range, key)) {
    out.assign(text.substr(0, entry->begin));
    out.append(entry->name).append("=").append(value);
    out.append(text.substr(entry->end));
    return out;
  }
  // After the section's last entry, or right after its header when it has none.
  const Line* after = &lines[range->header];
  for (size_t i = range->first; i < range->last; ++i)
    if (lines[i].kind == Line::Kind::Entry) after = &lines[i];
  out.assign(text.substr(0, after->next));
  if (after->next == after->end) out += kNewLine;  // the file's last line had no line end
  out.append(key).append("=").append(value).append(kNewLine);
  out.append(text.substr(after->next));
  return out;
}

std::string getString(std::string_view path, std::string_view section, std::string_view key, std::string_view def,
                      size_t size) {
  std::string value;
  bool found = false;
  {
    std::lock_guard lock(g_fileMutex);
    if (auto text = readFile(path)) found = findValue(*text, section, key, value);
  }
  if (!found) {
    while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
    value.assign(def);
  }
  value.resize(std::min(value.size(), size == 0 ? 0 : size - 1));
  return value;
}

std::vector<std::string> getKeyNames(std::string_view path, std::string_view section, size_t size) {
  std::vector<std::string> names;
  {
    std::lock_guard lock(g_fileMutex);
    if (auto text = readFile(path)) names = keyNames(*text, section);
  }
  // Each name and its NUL, then the closing NUL; what does not fit is cut at size - 2.
  size_t need = 1;
  for (const std::string& n : names) need += n.size() + 1;
  if (need <= size) return names;
  size_t room = size < 2 ? 0 : size - 2;
  std::vector<std::string> kept;
  for (const std::string& n : names) {
    if (room == 0) break;
    kept.push_back(n.substr(0, room));
    room -= kept.back().size();
    room = room == 0 ? 0 : room - 1;  // the name's NUL
  }
  return kept;
}

bool writeString(std::string_view path, std::string_view section, std::string_view key, std::string_view value) {
  IFileSystem& files = get().files();
  if (hasLineEnd(section) || hasLineEnd(key) || hasLineEnd(value) || section.find(']') != std::string_view::npos ||
      key.find('=') != std::string_view::npos || trim(key).empty()) {
    get().debugOut("profile: refused a write of a text with a line end or a separator to " + std::string(path));
    return false;
  }
  std::lock_guard lock(g_fileMutex);
  std::string text;
  if (files.exists(path)) {
    const auto st = files.stat(path);
    auto old = readFile(path);
    if (!st || st->isDir || !st->writable || !old) return false;
    text = std::move(*old);
  }
  const std::string bytes = withValue(text, trim(section), trim(key), value);
  const std::string tmp = std::string(path) + ".tmp";
  {
    std::unique_ptr<File> f = files.open(tmp, "wb");
    if (!f) return false;
    const bool written = f->write(bytes.data(), bytes.size()) == bytes.size() && f->flush();
    f.reset();
    if (!written) {
      files.remove(tmp);
      return false;
    }
  }
  if (!files.replaceFile(tmp, path)) {
    files.remove(tmp);
    return false;
  }
  return true;
}

}  // namespace plat::profile
