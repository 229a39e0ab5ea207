// The heads-up display of the game screen: its drawing (which writes the hit code under the
// pointer), its input, and the notices it shows.
#pragma once

struct BITMAP16;

void hud_draw(BITMAP16* target);
void hud_input();
void hud_update_notices();
void hud_draw_notice_lines();
