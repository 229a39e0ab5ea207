// Until the game screen is built the HUD's calls are recorded.
#include "ui/hud/hud.h"

#include "client/common/seam_calls.h"

void hud_draw(BITMAP16* /*target*/) { seam_call("hud_draw"); }
void hud_input() { seam_call("hud_input"); }
void hud_update_notices() { seam_call("hud_update_notices"); }
void hud_draw_notice_lines() { seam_call("hud_draw_notice_lines"); }
