#include "tools/reswrite/reswrite.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "client/res/res_tables.h"
#include "plat/bytes.h"

namespace resw {
namespace {

constexpr size_t kCounts = 256;
constexpr size_t kTypeCodes = 568;
constexpr size_t kNameSize = 20;

[[noreturn]] void fail(size_t line, const std::string& why) {
  throw std::runtime_error("manifest line " + std::to_string(line) + ": " + why);
}

std::vector<std::string> split_tabs(const std::string& line) {
  std::vector<std::string> cells;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    cells.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return cells;
    start = tab + 1;
  }
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string unquote(const std::string& cell, size_t line) {
  if (cell.size() < 2 || cell.front() != '"' || cell.back() != '"') fail(line, "text without quotes: " + cell);
  std::string out;
  for (size_t i = 1; i + 1 < cell.size(); ++i) {
    const char c = cell[i];
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 2 >= cell.size()) fail(line, "escape at the end of " + cell);
    const char e = cell[++i];
    if (e == '\\' || e == '"') {
      out += e;
    } else if (e == 'x' && i + 3 < cell.size() && hex_digit(cell[i + 1]) >= 0 && hex_digit(cell[i + 2]) >= 0) {
      out += static_cast<char>(hex_digit(cell[i + 1]) * 16 + hex_digit(cell[i + 2]));
      i += 2;
    } else {
      fail(line, std::string("bad escape \\") + e);
    }
  }
  return out;
}

Cell parse_cell(const std::string& cell, size_t line) {
  if (!cell.empty() && cell.front() == '"') return unquote(cell, line);
  if (cell.empty()) fail(line, "empty cell");
  size_t used = 0;
  try {
    if (cell.find_first_of(".eE") != std::string::npos) {
      const double d = std::stod(cell, &used);
      if (used == cell.size()) return d;
    } else {
      const bool hex = cell.rfind("0x", 0) == 0 || cell.rfind("-0x", 0) == 0;
      const long long v = std::stoll(cell, &used, hex ? 16 : 10);
      if (used == cell.size()) return static_cast<int64_t>(v);
    }
  } catch (const std::exception&) {
  }
  fail(line, "not a number or a quoted text: " + cell);
}

int kind(uint32_t code) { return static_cast<int>(code % 100); }

void write_cell(plat::ByteWriter& w, uint32_t code, const Cell& cell) {
  const uint64_t width = res_field_width(code);
  if (kind(code) == 4) {
    const std::string* text = std::get_if<std::string>(&cell);
    w.fixedString(text ? *text : std::string(), width);
    return;
  }
  if (width == 0) return;
  int64_t integer = 0;
  double real = 0;
  if (const auto* i = std::get_if<int64_t>(&cell)) integer = *i, real = static_cast<double>(*i);
  if (const auto* d = std::get_if<double>(&cell)) real = *d, integer = static_cast<int64_t>(*d);
  if (kind(code) == 3) {
    if (width == 8) {
      uint64_t bits;
      std::memcpy(&bits, &real, 8);
      w.u64(bits);
    } else {
      w.f32(static_cast<float>(real));
    }
    return;
  }
  const auto u = static_cast<uint64_t>(integer);
  switch (width) {
    case 1: w.u8(static_cast<uint8_t>(u)); break;
    case 2: w.u16(static_cast<uint16_t>(u)); break;
    case 8: w.u64(u); break;
    default: w.u32(static_cast<uint32_t>(u)); break;
  }
}

uint64_t row_width(const Table& t) {
  uint64_t width = 0;
  for (uint32_t code : t.types) width += res_field_width(code);
  return width;
}

}  // namespace

Table parse_manifest(const std::string& text) {
  Table t;
  std::istringstream in(text);
  std::string line;
  size_t number = 0;
  int seen = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells = split_tabs(line);
    if (seen == 0) {
      for (const std::string& c : cells) {
        size_t used = 0;
        unsigned long v = 0;
        try {
          v = std::stoul(c, &used);
        } catch (const std::exception&) {
          used = 0;
        }
        if (used == 0 || used != c.size() || v > 0xFFFFFFFFul) fail(number, "bad type code: " + c);
        t.types.push_back(static_cast<uint32_t>(v));
      }
    } else if (seen == 1) {
      if (cells.size() != t.types.size()) fail(number, "names and type codes differ in number");
      for (const std::string& c : cells) t.names.push_back(!c.empty() && c[0] == '"' ? unquote(c, number) : c);
    } else {
      if (cells.size() != t.types.size()) {
        fail(number, std::to_string(cells.size()) + " cells for " + std::to_string(t.types.size()) + " fields");
      }
      std::vector<Cell> row;
      for (size_t i = 0; i < cells.size(); ++i) {
        Cell c = parse_cell(cells[i], number);
        if ((kind(t.types[i]) == 4) != std::holds_alternative<std::string>(c)) {
          fail(number, "field " + std::to_string(i) + " wants " + (kind(t.types[i]) == 4 ? "a text" : "a number"));
        }
        row.push_back(std::move(c));
      }
      t.rows.push_back(std::move(row));
    }
    ++seen;
  }
  if (seen < 2) throw std::runtime_error("manifest needs a type-code line and a name line");
  return t;
}

Table read_manifest(const std::string& host_path) {
  std::ifstream in(host_path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + host_path);
  std::ostringstream s;
  s << in.rdbuf();
  return parse_manifest(s.str());
}

size_t row_offset(const Table& t, size_t k) {
  return kTypeCodes + t.types.size() * (4 + kNameSize) + static_cast<size_t>(row_width(t) * k);
}

std::vector<uint8_t> write_table(const Table& t) { return write_damaged(t, Damage{}); }

std::vector<uint8_t> write_damaged(const Table& t, const Damage& d) {
  plat::ByteWriter w;
  w.fixedString("res table written by reswrite", kCounts);
  w.u32(d.data_offset.value_or(static_cast<uint32_t>(row_offset(t, 0))));
  w.u32(d.record_count.value_or(static_cast<uint32_t>(t.rows.size())));
  w.u32(d.field_count.value_or(static_cast<uint32_t>(t.types.size())));
  w.zeros(kTypeCodes - w.size());
  for (uint32_t code : t.types) w.u32(code);
  for (size_t i = 0; i < t.types.size(); ++i) w.fixedString(i < t.names.size() ? t.names[i] : "", kNameSize);
  for (const std::vector<Cell>& row : t.rows)
    for (size_t i = 0; i < t.types.size(); ++i) write_cell(w, t.types[i], i < row.size() ? row[i] : Cell{int64_t{0}});
  std::vector<uint8_t> bytes = w.take();
  if (d.cut_at && *d.cut_at < bytes.size()) bytes.resize(*d.cut_at);
  return bytes;
}

Table read_table(std::span<const uint8_t> bytes) {
  try {
    plat::ByteReader r(bytes);
    r.seek(kCounts);
    const uint32_t data_offset = r.u32("data offset");
    const uint32_t records = r.u32("record count");
    const uint32_t fields = r.u32("field count");
    r.seek(kTypeCodes);
    plat::ByteReader head = r.records(fields, 4 + kNameSize, "field table");
    Table t;
    for (uint32_t i = 0; i < fields; ++i) t.types.push_back(head.u32("type code"));
    for (uint32_t i = 0; i < fields; ++i) t.names.push_back(head.fixedString(kNameSize, "field name"));
    r.seek(data_offset);
    RES_FIELD f;
    for (uint32_t k = 0; k < records; ++k) {
      std::vector<Cell> row;
      for (uint32_t code : t.types) {
        if (res_read_field(code, r, f) != RES_FIELD_OK) throw std::runtime_error("record " + std::to_string(k) + " does not fit");
        if (kind(code) == 4) {
          row.emplace_back(std::string(f.text, strnlen(f.text, f.text_length)));
        } else if (kind(code) == 3) {
          double d;
          if (res_field_width(code) == 8) {
            std::memcpy(&d, &f.value, 8);
          } else {
            float s;
            const auto bits = static_cast<uint32_t>(f.value);
            std::memcpy(&s, &bits, 4);
            d = s;
          }
          row.emplace_back(d);
        } else {
          row.emplace_back(static_cast<int64_t>(f.value));
        }
      }
      t.rows.push_back(std::move(row));
    }
    return t;
  } catch (const plat::MalformedInput& e) {
    throw std::runtime_error(std::string("res header does not fit: ") + e.what());
  }
}

void save(const std::string& host_path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(host_path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + host_path);
}

}  // namespace resw
