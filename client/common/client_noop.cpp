#include "client/common/client_noop.h"

void client_noop() {}
