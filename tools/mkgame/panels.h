// Generated pictures for the sample game folder: plain panels with a border and a label in a
// small block font, gradients for backgrounds.
#pragma once
#include <string>

#include "tools/mdawriter/img256_writer.h"

namespace mkgame {

mdaw::Rgba rgb(uint32_t rrggbb, uint8_t alpha = 255);
// A w x h panel: fill, a 2-pixel border, the label (A-Z, 0-9, space, '-') centred at scale.
mdaw::Picture panel(int w, int h, mdaw::Rgba fill, mdaw::Rgba border, const std::string& label, int scale = 2);
// An 800 x 600 background: a vertical gradient from top to bottom colour, the title at the top.
mdaw::Picture background(uint32_t top, uint32_t bottom, const std::string& title);
// Draws a label at (x, y) (its top-left) onto a picture.
void label(mdaw::Picture& p, int x, int y, const std::string& text, mdaw::Rgba colour, int scale);
// Fills a rectangle, clipped to the picture.
void fill(mdaw::Picture& p, int x, int y, int w, int h, mdaw::Rgba colour);
int labelWidth(const std::string& text, int scale);

}  // namespace mkgame
