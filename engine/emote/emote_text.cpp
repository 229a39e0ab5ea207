// Placeholder operations until the renderer lands: every call succeeds and draws nothing.
#include "engine/emote/emote_text.h"

IEmoteText* emote_text = nullptr;

IEmoteText::~IEmoteText() = default;
int32_t IEmoteText::emote_text_init(const char*) { return 0; }
int32_t IEmoteText::emote_text_release() { return 0; }
int32_t IEmoteText::emote_text_tick(plat::Canvas24*, const PIXEL_BLOCK24*) { return 0; }
int32_t IEmoteText::emote_text_flush(int32_t, int32_t, float, BITMAP16* target, int32_t) {
  return target ? 0 : EMOTE_TEXT_FAIL;
}
int32_t IEmoteText::emote_text_layout(const char*, plat::Rect*, int32_t, plat::Canvas24*, uint8_t) { return 0; }
int32_t IEmoteText::emote_text_remove(int32_t) { return 0; }
void IEmoteText::emote_text_clear() {}
int32_t IEmoteText::emote_text_draw_line(int32_t, int32_t, int32_t, int32_t, const char*) { return 0; }
int32_t IEmoteText::emote_text_draw(int32_t, int32_t, int32_t, int32_t, const char*, int32_t) { return 0; }
int32_t IEmoteText::emote_text_draw_emote(int32_t, int32_t, int32_t, int32_t, int32_t, uint8_t, uint8_t,
                                          const PIXEL_BLOCK24*) {
  return 0;
}
EMOTE_TEXT_MANAGER* emote_text_manager() { return nullptr; }
