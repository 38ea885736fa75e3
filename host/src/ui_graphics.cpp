// The graphics state the host hands to widgets, the plug-in API's dark box, and the primitives
// the host draws its own widgets with.
//
// Choices where the simulator's behaviour is not documented:
// - XPLMSetGraphicsState may be called at any time (the simulator's context always exists); it
//   changes the current context's state if there is one and is otherwise a no-op. Only the first
//   texture unit is switched: a count of one or more enables 2-D texturing on it.
// - Every widget's paint starts from the plain 2-D state (see applyPlain2DState), so a custom
//   widget that sets its state once, at creation, finds it each frame whatever the host drew
//   before it.
// - XPLMDrawTranslucentDarkBox blends black at 70 % opacity over the rectangle, edges included,
//   and leaves the state as it found it. Calling it outside a frame is a host error.
#if defined(_WIN32)
// gl.h needs the calling-convention macros of windows.h.
#include <windows.h>
#endif
#include <GL/gl.h>

#include <algorithm>

#include "XPLMGraphics.h"
#include "ui_draw.h"
#include "xphost/host.h"

namespace xphost::internal {
namespace {

bool gFrameOpen = false;

void vertex(int x, int y) { glVertex2i(x, y); }

} // namespace

bool frameOpen() { return gFrameOpen; }
void setFrameOpen(bool open) { gFrameOpen = open; }

bool requireFrame(const char *caller) {
    if (gFrameOpen) return true;
    reportHostError(std::string(caller) +
                    ": drawing outside a frame (only inside a widget's draw)");
    return false;
}

void applyPlain2DState() {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(1.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void fillRect(int left, int top, int right, int bottom, Colour colour) {
    if (right < left || top < bottom) return;
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    // The far edges are one past the last lit pixel: with the projection's centring, a quad
    // from n to m lights pixels n to m - 1.
    glBegin(GL_QUADS);
    vertex(left, bottom);
    vertex(right + 1, bottom);
    vertex(right + 1, top + 1);
    vertex(left, top + 1);
    glEnd();
}

void outlineRect(int left, int top, int right, int bottom, Colour colour) {
    fillRect(left, bottom, right, bottom, colour);
    fillRect(left, top, right, top, colour);
    fillRect(left, top, left, bottom, colour);
    fillRect(right, top, right, bottom, colour);
}

void bevelRect(int left, int top, int right, int bottom, Colour face, bool sunken) {
    fillRect(left, top, right, bottom, face);
    const Colour light{std::min(face.r + 0.18f, 1.0f), std::min(face.g + 0.18f, 1.0f),
                       std::min(face.b + 0.18f, 1.0f), 1.0f};
    const Colour dark{face.r * 0.55f, face.g * 0.55f, face.b * 0.55f, 1.0f};
    const Colour &upper = sunken ? dark : light;
    const Colour &lower = sunken ? light : dark;
    fillRect(left, top, right, top, upper);
    fillRect(left, top, left, bottom, upper);
    fillRect(left, bottom, right, bottom, lower);
    fillRect(right, top, right, bottom, lower);
}

void fillArrow(int left, int top, int right, int bottom, ArrowDirection direction, Colour colour) {
    if (right <= left || top <= bottom) return;
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    const float midX = (left + right + 1) / 2.0f;
    const float midY = (top + bottom + 1) / 2.0f;
    const auto l = static_cast<float>(left), r = static_cast<float>(right + 1);
    const auto b = static_cast<float>(bottom), t = static_cast<float>(top + 1);
    glBegin(GL_TRIANGLES);
    switch (direction) {
    case ArrowDirection::Left:
        glVertex2f(r, t), glVertex2f(l, midY), glVertex2f(r, b);
        break;
    case ArrowDirection::Right:
        glVertex2f(l, t), glVertex2f(r, midY), glVertex2f(l, b);
        break;
    case ArrowDirection::Up:
        glVertex2f(l, b), glVertex2f(midX, t), glVertex2f(r, b);
        break;
    case ArrowDirection::Down:
        glVertex2f(l, t), glVertex2f(midX, b), glVertex2f(r, t);
        break;
    }
    glEnd();
}

} // namespace xphost::internal

XPLM_API void XPLMSetGraphicsState(int inEnableFog, int inNumberTexUnits, int inEnableLighting,
                                   int inEnableAlphaTesting, int inEnableAlphaBlending,
                                   int inEnableDepthTesting, int inEnableDepthWriting) {
    if (!xphost::internal::graphicsContextCurrent()) return;
    auto toggle = [](GLenum capability, int on) {
        on ? glEnable(capability) : glDisable(capability);
    };
    toggle(GL_FOG, inEnableFog);
    toggle(GL_TEXTURE_2D, inNumberTexUnits > 0);
    toggle(GL_LIGHTING, inEnableLighting);
    toggle(GL_ALPHA_TEST, inEnableAlphaTesting);
    toggle(GL_BLEND, inEnableAlphaBlending);
    toggle(GL_DEPTH_TEST, inEnableDepthTesting);
    glDepthMask(inEnableDepthWriting ? GL_TRUE : GL_FALSE);
}

XPLM_API void XPLMDrawTranslucentDarkBox(int inLeft, int inTop, int inRight, int inBottom) {
    using namespace xphost::internal;
    if (!requireFrame("XPLMDrawTranslucentDarkBox")) return;
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    fillRect(inLeft, inTop, inRight, inBottom, Colour{0.0f, 0.0f, 0.0f, 0.7f});
    glPopAttrib();
}
