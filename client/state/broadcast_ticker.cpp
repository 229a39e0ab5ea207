// Until the ticker is built a frame of it does nothing.
#include "client/state/broadcast_ticker.h"

void broadcast_ticker_run() {}
