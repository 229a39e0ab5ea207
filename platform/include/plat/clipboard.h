// The system clipboard, text only. Texts are code page 936 on our side; the SDL backend converts
// to UTF-8 at the edge.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

struct IClipboard {
  virtual ~IClipboard() = default;
  virtual bool hasText() = 0;
  // At most maxBytes, cut on a character boundary; nullopt when the clipboard cannot be opened.
  virtual std::optional<std::string> getText(size_t maxBytes) = 0;
  // The whole text is kept, whatever its length; false when the clipboard refused it.
  virtual bool setText(std::string_view cp936) = 0;
  virtual bool clear() = 0;
};

// A clipboard in memory (the headless backend and platforms without one). The two failure
// switches let tests reach the callers' failure roads.
class MemoryClipboard final : public IClipboard {
 public:
  bool hasText() override { return text_.has_value(); }
  std::optional<std::string> getText(size_t maxBytes) override;
  bool setText(std::string_view cp936) override;
  bool clear() override {
    text_.reset();
    return true;
  }

  bool failOpen = false;  // getText gives nullopt
  bool failSet = false;   // setText gives false and keeps the old text

 private:
  std::optional<std::string> text_;
};

}  // namespace plat
