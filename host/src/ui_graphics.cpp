// The graphics state the host hands to widgets, the plug-in API's dark box, and the primitives
// the host draws its own widgets with.
//
// Choices where the simulator's behaviour is not documented:
// - XPLMSetGraphicsState may be called at any time (the simulator's context always exists); it
//   changes the current context's state if there is one and is otherwise a no-op. Only the first
//   texture unit is switched: a count of one or more enables 2-D texturing on it.
// - Nothing resets the state before a widget's paint. Each frame starts from a hostile state
//   (see applyFrameStartState): texturing on with the host's user-interface texture bound,
//   blending on, an odd colour. A plug-in's draw finds whatever was left before it, and only its
//   own XPLMSetGraphicsState calls (and its own raw GL) change that during its draw, apart from
//   the host's drawing calls below, which leave the state the simulator's UI drawing leaves.
// - XPLMDrawTranslucentDarkBox blends black at 70 % opacity over the rectangle, edges included,
//   and then leaves texturing on with the user-interface texture bound and blending on, as the
//   simulator's textured UI drawing does. Calling it outside a frame is a host error.
// - The user-interface texture is one texel of a muted blue at half opacity, so anything drawn
//   untextured-looking while it is bound comes out visibly tinted and see-through.
#if defined(_WIN32)
// gl.h needs the calling-convention macros of windows.h.
#include <windows.h>
#endif
#include <GL/gl.h>

#include <algorithm>

#include "XPLMGraphics.h"
#include "host_internal.h"
#include "ui_draw.h"
#include "xphost/host.h"

namespace xphost::internal {
namespace {

bool gFrameOpen = false;

void vertex(int x, int y) { glVertex2i(x, y); }

// Made in the one context the host keeps for the life of the process.
GLuint userInterfaceTexture() {
    static GLuint texture = 0;
    if (texture != 0) return texture;
    const GLubyte texel[4] = {90, 130, 200, 128};
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // No mipmaps: with the default minifying filter the texture would be incomplete and
    // texturing would silently do nothing.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return texture;
}

} // namespace

bool frameOpen() { return gFrameOpen; }
void setFrameOpen(bool open) { gFrameOpen = open; }

bool requireFrame(const char *caller) {
    if (gFrameOpen) return true;
    reportHostError(std::string(caller) +
                    ": drawing outside a frame (only inside a widget's draw)");
    return false;
}

void applyGraphicsState(const GraphicsState &state) {
    auto toggle = [](GLenum capability, bool on) {
        on ? glEnable(capability) : glDisable(capability);
    };
    toggle(GL_FOG, state.fog);
    toggle(GL_TEXTURE_2D, state.textureUnits > 0);
    toggle(GL_LIGHTING, state.lighting);
    toggle(GL_ALPHA_TEST, state.alphaTesting);
    toggle(GL_BLEND, state.alphaBlending);
    toggle(GL_DEPTH_TEST, state.depthTesting);
    glDepthMask(state.depthWriting ? GL_TRUE : GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void applyPlainState() { applyGraphicsState(GraphicsState{}); }

void leaveUserInterfaceState() {
    GraphicsState state;
    state.textureUnits = 1;
    state.alphaBlending = true;
    applyGraphicsState(state);
    glBindTexture(GL_TEXTURE_2D, userInterfaceTexture());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void applyFrameStartState() {
    leaveUserInterfaceState();
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glLineWidth(1.0f);
    glColor4f(0.9f, 0.3f, 0.6f, 0.4f);
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
    xphost::internal::checkMainThread(__func__);
    using namespace xphost::internal;
    if (!graphicsContextCurrent()) return;
    GraphicsState state;
    state.fog = inEnableFog != 0;
    state.textureUnits = inNumberTexUnits;
    state.lighting = inEnableLighting != 0;
    state.alphaTesting = inEnableAlphaTesting != 0;
    state.alphaBlending = inEnableAlphaBlending != 0;
    state.depthTesting = inEnableDepthTesting != 0;
    state.depthWriting = inEnableDepthWriting != 0;
    applyGraphicsState(state);
}

XPLM_API void XPLMDrawTranslucentDarkBox(int inLeft, int inTop, int inRight, int inBottom) {
    xphost::internal::checkMainThread(__func__);
    using namespace xphost::internal;
    if (!requireFrame("XPLMDrawTranslucentDarkBox")) return;
    GraphicsState blended;
    blended.alphaBlending = true;
    applyGraphicsState(blended);
    fillRect(inLeft, inTop, inRight, inBottom, Colour{0.0f, 0.0f, 0.0f, 0.7f});
    leaveUserInterfaceState();
}
