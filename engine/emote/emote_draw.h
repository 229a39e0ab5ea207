// Drawing the laid-out runs. The manager's GDI flag picks the back end: 0 draws into its target
// bitmap (through the text module and the frame-command interpreter), 1 onto its canvas.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/emote/emote_manager.h"

// Code page 936 bytes a run may take.
constexpr size_t EMOTE_RUN_BYTES = 255;

// The canvas colour of a 16-bit run colour: red (c >> 8), green (c >> 3), blue (c << 3), each
// cut to a byte, as the window path has always mixed them.
uint32_t emote_colour_ref(uint16_t colour);

TextSize measure_text(std::u16string_view text);
void draw_text_run(const plat::Rect& rect, std::u16string_view text, uint16_t colour);
void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour);
void draw_picture(const std::string& name, int32_t x, int32_t y, const PIXEL_BLOCK24* background);
void draw_menu_frame(int32_t x, int32_t y, int32_t width, int32_t height, int32_t command,
                     const PIXEL_BLOCK24* background);
void draw_queue(EMOTE_TEXT_QUEUE& queue, const PIXEL_BLOCK24* background);
void flash_step(FLASH_TIMER& timer, uint32_t delta);

// The layout's view of the current back end and the picture table.
// Made for one layout: the back end is taken when it is made.
class EmoteMeasure : public LayoutMeasure {
 public:
  EmoteMeasure();
  TextSize measure_char(char16_t c) override;
  void picture_size(const std::string& name, uint8_t* width, uint8_t* height) override;
};
