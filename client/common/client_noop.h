// A routine that does nothing, for hooks that must be set.
#pragma once
// Does nothing; installed as a hook where a routine is required but no work is.
void client_noop();
