// Mail calls the edit boxes make before the mail window is built.
#pragma once
#include <cstdint>

// Asks the server whether the mail addressee exists; sends nothing yet, only counts the calls.
void mail_check_addressee();
int32_t mail_check_addressee_calls();
