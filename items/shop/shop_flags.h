// The two shop flags the server sets (messages 0xa0009 and 0xa000a) and the page refresh they
// ask for.
#pragma once
#include <cstdint>

extern uint8_t shop_flag_a;
extern uint8_t shop_flag_b;

enum class ShopPages : uint8_t { Shop, Bank };

// Pages marked for a refresh; the shop and bank windows clear a mark once they redrew.
struct SHOP_REFRESH_MARKS {
  uint8_t shop_pages;  // the two shop pages
  uint8_t bank_pages;
};
extern SHOP_REFRESH_MARKS shop_refresh_marks;

// Marks the two shop pages, or the bank pages, for a refresh.
void shop_pages_mark_refresh(ShopPages pages);

void shop_flags_reset();
