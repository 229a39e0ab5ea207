#include <cstring>

#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda_names.h"
#include "graphics/mda/mda_services.h"
#include "plat/tier0.h"

namespace {

constexpr size_t kMaxWord = 200;

bool blank(char c) { return c == ' ' || c == '\t'; }

bool word_is(const char* word, const char* name) {
  return mda_name_equal(name, std::strlen(name) + 1, word);
}

}  // namespace

void mda_parse_external_command(const char* text) {
  mda_goto_step = -1;
  if (!text) return;
  while (blank(*text)) ++text;
  char word[kMaxWord + 1];
  size_t n = 0;
  while (n < kMaxWord && text[n] && !blank(text[n])) {
    word[n] = text[n];
    ++n;
  }
  word[n] = 0;
  const char* rest = text + n;
  while (*rest && !blank(*rest)) ++rest;  // the part of an over-long word beyond the bound
  if (word_is(word, "attack")) {
    mda_external_flags.attack_value = plat::vstd::Q_atoi(rest);
    mda_external_flags.attack = 1;
  } else if (word_is(word, "goto")) {
    mda_goto_step = plat::vstd::Q_atoi(rest);
  } else if (word_is(word, "front")) {
    mda_external_flags.front = 1;
  } else if (word_is(word, "magic")) {
    mda_external_flags.magic = 1;
  } else {
    mda_message("Unreadable MDA external command(%s)", word);
  }
}
