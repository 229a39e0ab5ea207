// The res tables the client reads at start-up.
#pragma once

// 0 when every table loaded, -1 when one is missing or too short (start-up then stops).
int res_load_all();
