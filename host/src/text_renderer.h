#pragma once
// Text of the host's widgets, rendered with FreeType from the DejaVu Sans font and drawn through
// the screen's OpenGL context; not for plug-ins or tests. The Windows build has neither and
// uses a fixed-width stand-in (no_context/text_no_context.cpp).

#include <string>

#include "ui_draw.h"

namespace xphost::internal {

enum class FontStyle { Regular, Bold };

// Pixel height of the font the widgets use.
constexpr int kFontPixelSize = 12;

// Pixels from the baseline to the top of the tallest glyphs, and below it to the lowest.
int fontAscent(FontStyle style = FontStyle::Regular);
int fontDescent(FontStyle style = FontStyle::Regular);

// Width of the text (UTF-8) as drawText draws it; 0 when the font cannot be loaded.
int textWidth(const std::string &text, FontStyle style = FontStyle::Regular);

// Draws text (UTF-8) starting at x with its baseline on pixel row `baseline`. Only inside a
// frame. Leaves texturing and blending as it found them.
void drawText(int x, int baseline, const std::string &text, Colour colour,
              FontStyle style = FontStyle::Regular);

// The baseline that centres a line of text vertically in [bottom, top], edges included.
int centredBaseline(int top, int bottom, FontStyle style = FontStyle::Regular);

} // namespace xphost::internal
