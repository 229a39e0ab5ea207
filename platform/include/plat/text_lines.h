// Walks a text line by line at '\n', counting lines from 1. A '\r' before the '\n' stays in the
// line (each reader has its own rule for it); a text ending in '\n' gives a last, empty line.
#pragma once
#include <cstddef>
#include <string_view>

namespace plat {

class TextLines {
 public:
  explicit TextLines(std::string_view text) : text_(text) {}

  // The next line and true, or false after the last one.
  bool next(std::string_view& line) {
    if (pos_ > text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    ++number_;
    return true;
  }
  // The number of the line next() gave last.
  size_t number() const { return number_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t number_ = 0;
};

}  // namespace plat
