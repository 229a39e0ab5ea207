#include "items/shop/shop_flags.h"

#include "core/reset/module_resets.h"

uint8_t shop_flag_a = 0;
uint8_t shop_flag_b = 0;
SHOP_REFRESH_MARKS shop_refresh_marks = {0, 0};

void shop_pages_mark_refresh(ShopPages pages) {
  if (pages == ShopPages::Shop)
    shop_refresh_marks.shop_pages = 1;
  else
    shop_refresh_marks.bank_pages = 1;
}

void shop_flags_reset() {
  shop_flag_a = 0;
  shop_flag_b = 0;
  shop_refresh_marks = {0, 0};
}

static const ModuleReset k_reset("shop flags", shop_flags_reset);
