#include "plat/clipboard.h"
#include "plat/cp936.h"

namespace plat {

std::optional<std::string> MemoryClipboard::getText(size_t maxBytes) {
  if (failOpen) return std::nullopt;
  if (!text_) return std::string();
  return text_->substr(0, cp936::fitLength(*text_, maxBytes));
}

bool MemoryClipboard::setText(std::string_view cp936) {
  if (failSet) return false;
  text_ = std::string(cp936);
  return true;
}

}  // namespace plat
