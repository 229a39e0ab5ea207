#include "ui/notices/notice_lines.h"

#include "core/reset/module_resets.h"

namespace {
NOTICE_LINES g_notice_lines;
}

NOTICE_LINES& notice_lines() { return g_notice_lines; }

void notice_lines_clear() { g_notice_lines = NOTICE_LINES{}; }

static const ModuleReset k_reset("notice lines", notice_lines_clear);
