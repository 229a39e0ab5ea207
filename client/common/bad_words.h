// The banned-word filter.
#pragma once
#include <cstddef>

constexpr size_t BAD_WORD_SIZE = 20;
struct BAD_WORD_LIST {
  const char (*words)[BAD_WORD_SIZE] = nullptr;
  size_t count = 0;
};
using BadWordProvider = BAD_WORD_LIST (*)();
// The res tables install the provider once res/chat.res is loaded; nullptr means no list.
void filter_bad_words_set_provider(BadWordProvider provider);
// test_only: true at the first banned word found, text unchanged. Otherwise every banned word
// is replaced by one '*' per character, and false is returned.
bool filter_bad_words(char* text, bool test_only);
