#include "client/common/utils.h"

void client_noop() {}
