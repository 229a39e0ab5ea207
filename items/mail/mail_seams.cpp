#include "items/mail/mail_seams.h"

#include "core/reset/module_resets.h"

namespace {
int32_t g_checks = 0;
void mail_seams_reset() { g_checks = 0; }
const ModuleReset k_reset("mail seams", mail_seams_reset);
}  // namespace

void mail_check_addressee() { ++g_checks; }
int32_t mail_check_addressee_calls() { return g_checks; }
