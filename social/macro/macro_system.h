// The macro system library binding.
#pragma once

// Loads the macro system library at start-up: 1 when bound, 0 when it cannot be (the caller
// ignores the result).
int macro_system_load();
