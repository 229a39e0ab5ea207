// The item bag's current page, shared by every window that pages through items with the page
// arrows.
#pragma once
#include <cstdint>

extern int32_t bag_page;
