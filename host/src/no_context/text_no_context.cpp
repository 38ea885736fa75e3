// Text where the host has no OpenGL context and no FreeType (the Windows build): the metrics of
// a fixed-width stand-in font, so that layout and text-field editing behave as with a real
// one, and no drawing.
#include "text_renderer.h"

namespace xphost::internal {
namespace {

constexpr int kAdvance = 7;
constexpr int kAscent = 9;
constexpr int kDescent = 3;

// Characters, not bytes: UTF-8 continuation bytes do not count.
int characterCount(const std::string &text) {
    int count = 0;
    for (char byte : text)
        if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80) ++count;
    return count;
}

} // namespace

int fontAscent(FontStyle) { return kAscent; }
int fontDescent(FontStyle) { return kDescent; }
int textWidth(const std::string &text, FontStyle) { return characterCount(text) * kAdvance; }

int centredBaseline(int top, int bottom, FontStyle style) {
    const int capitals = (fontAscent(style) * 3 + 2) / 4;
    const int height = top - bottom + 1;
    return bottom + (height - capitals) / 2;
}

void drawText(int, int, const std::string &, Colour, FontStyle) { requireFrame("drawText"); }

} // namespace xphost::internal
