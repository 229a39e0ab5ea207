// The zip writer: minizip writes every entry; names holding a NUL are patched in afterwards,
// since minizip takes names as C strings.
#include "tools/mkzip/mkzip.h"

#include <zip.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace mkzip {

namespace {

constexpr uLong kMadeByUnix = (3u << 8) | 20;
constexpr uLong kMadeByDos = 20;
constexpr uLong kUtf8Flag = 0x800;
constexpr uint32_t kLinkType = 0120000;

bool fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

// A stand-in of the same length for a name minizip cannot take.
std::string placeholder(const std::string& name, size_t index) {
  std::string p = name;
  for (size_t i = 0; i < p.size(); ++i)
    if (p[i] == '\0') p[i] = static_cast<char>('A' + (index + i) % 26);
  return p;
}

uint32_t rd16(const std::string& b, size_t at) { return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8; }
uint32_t rd32(const std::string& b, size_t at) { return rd16(b, at) | rd16(b, at + 2) << 16; }

// Writes each raw name over its placeholder in the central directory and the local header.
bool patchNames(const std::string& path, const std::vector<Entry>& entries, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  const size_t eocd = b.rfind(std::string("PK\x05\x06", 4));
  if (eocd == std::string::npos || eocd + 22 > b.size()) return fail(error, "no end record to patch");
  size_t at = rd32(b, eocd + 16);
  for (const Entry& e : entries) {
    if (at + 46 > b.size() || rd32(b, at) != 0x02014b50) return fail(error, "central directory damaged");
    const size_t nameLen = rd16(b, at + 28);
    const size_t local = rd32(b, at + 42);
    if (nameLen == e.name.size() && local + 30 + nameLen <= b.size()) {
      b.replace(at + 46, nameLen, e.name);
      b.replace(local + 30, nameLen, e.name);
    }
    at += 46 + nameLen + rd16(b, at + 30) + rd16(b, at + 32);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << b;
  return out.good() || fail(error, "cannot rewrite " + path);
}

bool writeEntry(zipFile z, const Entry& e, size_t index, std::string* error) {
  zip_fileinfo info{};
  info.tmz_date.tm_year = static_cast<uInt>(e.year);
  info.tmz_date.tm_mon = static_cast<uInt>(e.month - 1);
  info.tmz_date.tm_mday = static_cast<uInt>(e.day);
  info.tmz_date.tm_hour = static_cast<uInt>(e.hour);
  info.tmz_date.tm_min = static_cast<uInt>(e.minute);
  info.tmz_date.tm_sec = static_cast<uInt>(e.second);
  std::string name = e.name;
  if (e.kind == Kind::Dir && (name.empty() || name.back() != '/')) name += '/';
  uLong madeBy = kMadeByDos;
  if (e.kind == Kind::Symlink) {
    madeBy = kMadeByUnix;
    info.external_fa = static_cast<uLong>(kLinkType | 0777) << 16;
  } else if (e.unixMode) {
    madeBy = kMadeByUnix;
    const uint32_t type = e.kind == Kind::Dir ? 0040000 : 0100000;
    info.external_fa = static_cast<uLong>(type | (*e.unixMode & 07777)) << 16;
  }
  if (e.kind == Kind::Dir) info.external_fa |= 0x10;  // the DOS folder bit
  const std::string stored = name.find('\0') != std::string::npos ? placeholder(name, index) : name;
  const bool raw = e.badCrc;
  const int method = e.store || raw || e.kind != Kind::File ? 0 : Z_DEFLATED;
  if (zipOpenNewFileInZip4_64(z, stored.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                              method ? Z_DEFAULT_COMPRESSION : 0, raw, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                              nullptr, 0, madeBy, e.utf8 ? kUtf8Flag : 0, 0) != ZIP_OK)
    return fail(error, "cannot add entry " + std::to_string(index));
  const std::string& data = e.kind == Kind::Dir ? std::string() : e.data;
  if (!data.empty() && zipWriteInFileInZip(z, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK)
    return fail(error, "cannot write entry " + std::to_string(index));
  int rc;
  if (raw) {
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
    rc = zipCloseFileInZipRaw64(z, data.size(), crc ^ 1);
  } else {
    rc = zipCloseFileInZip(z);
  }
  return rc == ZIP_OK || fail(error, "cannot close entry " + std::to_string(index));
}

bool fromHex(std::string_view hex, std::string& out) {
  if (hex.size() % 2) return false;
  out.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    char* end = nullptr;
    const std::string two(hex.substr(i, 2));
    const long v = std::strtol(two.c_str(), &end, 16);
    if (*end) return false;
    out += static_cast<char>(v);
  }
  return true;
}

// A quoted text's escapes resolved.
bool unescape(std::string_view q, std::string& out) {
  out.clear();
  for (size_t i = 0; i < q.size(); ++i) {
    if (q[i] != '\\') {
      out += q[i];
      continue;
    }
    if (++i >= q.size()) return false;
    switch (q[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'x': {
        std::string byte;
        if (i + 2 >= q.size() || !fromHex(q.substr(i + 1, 2), byte)) return false;
        out += byte;
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

// Splits a line into words; a word may hold a quoted part ("a b" or text="x y").
bool words(std::string_view line, std::vector<std::string>& out) {
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string w;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] == '"') {
        size_t end = i + 1;
        while (end < line.size() && line[end] != '"') end += line[end] == '\\' ? 2 : 1;
        if (end >= line.size()) return false;
        std::string text;
        if (!unescape(line.substr(i + 1, end - i - 1), text)) return false;
        w += text;
        i = end + 1;
      } else {
        w += line[i++];
      }
    }
    out.push_back(std::move(w));
  }
  return true;
}

bool option(Entry& e, const std::string& w, const std::string& baseDir, std::string& why) {
  auto value = [&](const char* key) -> std::optional<std::string> {
    const std::string k = std::string(key) + "=";
    if (w.compare(0, k.size(), k) == 0) return w.substr(k.size());
    return std::nullopt;
  };
  if (w == "utf8") e.utf8 = true;
  else if (w == "store") e.store = true;
  else if (auto v = value("text")) e.data = *v;
  else if (auto v = value("target")) e.data = *v;
  else if (auto v = value("mode")) e.unixMode = static_cast<uint32_t>(std::strtoul(v->c_str(), nullptr, 8));
  else if (auto v = value("from")) {
    std::ifstream in(v->front() == '/' ? *v : baseDir + "/" + *v, std::ios::binary);
    if (!in) return why = "cannot read " + *v, false;
    std::ostringstream s;
    s << in.rdbuf();
    e.data = s.str();
  } else if (auto v = value("time")) {
    if (std::sscanf(v->c_str(), "%d-%d-%dT%d:%d:%d", &e.year, &e.month, &e.day, &e.hour, &e.minute, &e.second) != 6)
      return why = "bad time " + *v, false;
  } else {
    return why = "unknown option " + w, false;
  }
  return true;
}

}  // namespace

bool writeZip(const std::string& path, const std::vector<Entry>& entries, std::string* error) {
  zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!z) return fail(error, "cannot create " + path);
  bool ok = true;
  bool needsPatch = false;
  for (size_t i = 0; ok && i < entries.size(); ++i) {
    ok = writeEntry(z, entries[i], i, error);
    needsPatch = needsPatch || entries[i].name.find('\0') != std::string::npos;
  }
  if (zipClose(z, nullptr) != ZIP_OK && ok) ok = fail(error, "cannot finish " + path);
  return ok && (!needsPatch || patchNames(path, entries, error));
}

std::optional<std::vector<Entry>> parseManifest(std::string_view text, const std::string& baseDir, std::string* error) {
  std::vector<Entry> out;
  std::istringstream in{std::string(text)};
  std::string line;
  std::vector<std::string> w;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::string why;
    if (!words(line, w) || w.size() < 2) why = "cannot read the line";
    Entry e;
    if (why.empty()) {
      const std::string& kind = w[0];
      e.name = w[1];
      if (kind == "dir") e.kind = Kind::Dir;
      else if (kind == "symlink") e.kind = Kind::Symlink;
      else if (kind == "badcrc") e.badCrc = true;
      else if (kind == "rawname") {
        if (!fromHex(w[1], e.name)) why = "bad hex name";
      } else if (kind != "file") why = "unknown kind " + kind;
    }
    for (size_t i = 2; why.empty() && i < w.size(); ++i) option(e, w[i], baseDir, why);
    if (!why.empty()) {
      fail(error, "line " + std::to_string(number) + ": " + why);
      return std::nullopt;
    }
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace mkzip
