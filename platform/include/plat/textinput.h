// Text input and the input method: where its windows go, and what it is composing. Text input
// stays on while the main window exists, so typed characters always arrive as WM_CHAR.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plat/types.h"

namespace plat {

// The input method's state as the last text-editing events left it. Texts are code page 936.
struct ImeComposition {
  bool composing = false;
  std::string textCp936;          // the composition string
  int32_t cursor = 0;             // cursor position inside it, in bytes
  std::vector<std::string> candidatesCp936;  // the candidate page, where the input method gives one
  int32_t candidateSelected = -1;
  bool fullWidth = false;         // conversion mode
  bool symbol = false;
  std::string imeNameCp936;
};

struct ITextInput {
  virtual ~ITextInput() = default;
  // Places the composition and candidate windows at a client rectangle of the window (kNoWindow:
  // the main window). Never fails.
  virtual void setCaretRect(WindowId w, Rect client) = 0;
  virtual bool composing() = 0;
  virtual ImeComposition composition() = 0;
};

}  // namespace plat
