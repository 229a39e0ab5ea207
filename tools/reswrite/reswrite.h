// reswrite: res tables from a plain-text manifest, and deliberately damaged tables for tests.
// Test-only; never linked into the programs.
//
// Manifest, one line each, cells separated by tabs ('#' lines and blank lines are skipped):
//   line 1   the type codes (3201 a 4-byte integer, 3204 a 32-byte text, ...)
//   line 2   the field names (bare or quoted; 20 bytes each in the file)
//   then     one row per line, a cell per field: a number (integer, or with '.' or 'e' a float)
//            or a quoted text with \xNN, \\ and \" escapes (bytes as they are: code page 936)
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace resw {

using Cell = std::variant<int64_t, double, std::string>;

struct Table {
  std::vector<uint32_t> types;
  std::vector<std::string> names;
  std::vector<std::vector<Cell>> rows;
};

// Throw std::runtime_error naming the line on a bad manifest.
Table parse_manifest(const std::string& text);
Table read_manifest(const std::string& host_path);

// The table as a res file. Integers are cut to their field's width, floats stored as float or
// double, texts cut or zero-padded to their width; a field of another kind takes no bytes.
std::vector<uint8_t> write_table(const Table& table);
// Where row k starts in write_table's output (k = rows.size() gives the end).
size_t row_offset(const Table& table, size_t k);

// Header values that lie, and a cut: for the damaged-file tests and fuzz seeds.
struct Damage {
  std::optional<uint32_t> record_count{};
  std::optional<uint32_t> field_count{};
  std::optional<uint32_t> data_offset{};
  std::optional<size_t> cut_at{};  // the file ends after this many bytes
};
std::vector<uint8_t> write_damaged(const Table& table, const Damage& damage);

// Reads a res file back through the client's field reader: integers as their zero-extended
// bits, floats as doubles, texts up to their first NUL. Throws std::runtime_error when the
// header or a record does not fit.
Table read_table(std::span<const uint8_t> bytes);

// Writes bytes to a host file; throws std::runtime_error when it cannot.
void save(const std::string& host_path, const std::vector<uint8_t>& bytes);

}  // namespace resw
