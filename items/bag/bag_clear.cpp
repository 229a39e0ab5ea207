// Until the bags are built the call is recorded.
#include "items/bag/bag_clear.h"

#include "client/common/seam_calls.h"

void item_clear_bags() { seam_call("item_clear_bags"); }
