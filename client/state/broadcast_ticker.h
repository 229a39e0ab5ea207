// The broadcast ticker: the running text of the broadcast list over the game screen.
#pragma once

// One frame of the ticker (the map frame runs it unless replaying).
void broadcast_ticker_run();
