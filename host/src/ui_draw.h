#pragma once
// Drawing helpers for the host's own user-interface elements, and the frame they must be drawn
// in; not for plug-ins or tests. Every rectangle here includes all four edges: a rectangle from
// left to right lights right - left + 1 pixel columns.

#include <string>

namespace xphost::internal {

struct Colour {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 1.0f;
};

// Whether the screen's OpenGL context exists and is current (it is made lazily).
bool graphicsContextCurrent();

// Whether drawFrame is drawing right now. Drawing calls outside a frame are host errors.
bool frameOpen();
void setFrameOpen(bool open);
// True inside a frame; otherwise reports a host error naming `caller` and returns false.
bool requireFrame(const char *caller);

// What XPLMSetGraphicsState sets; the blend function is always source alpha over. The default is
// the plain state: everything off.
struct GraphicsState {
    bool fog = false;
    int textureUnits = 0; // one or more enables 2-D texturing on the first unit
    bool lighting = false;
    bool alphaTesting = false;
    bool alphaBlending = false;
    bool depthTesting = false;
    bool depthWriting = false;
};
void applyGraphicsState(const GraphicsState &state);
// The plain state: what the host's own drawing of standard widgets and tracks sets for itself.
void applyPlainState();
// What the simulator's textured UI drawing leaves behind (the dark box, tracks): texturing on
// with the host's user-interface texture bound, blending on.
void leaveUserInterfaceState();
// The state every frame starts from: leaveUserInterfaceState plus an odd, see-through colour, so
// a plug-in that relies on an inherited state draws visibly wrong.
void applyFrameStartState();

void fillRect(int left, int top, int right, int bottom, Colour colour);
// A one-pixel outline along the rectangle's edges.
void outlineRect(int left, int top, int right, int bottom, Colour colour);
// A bevelled box: light upper-left edges, dark lower-right, flat face.
void bevelRect(int left, int top, int right, int bottom, Colour face, bool sunken);
// A solid triangle pointing left, right, up or down, filling the rectangle.
enum class ArrowDirection { Left, Right, Up, Down };
void fillArrow(int left, int top, int right, int bottom, ArrowDirection direction, Colour colour);

} // namespace xphost::internal
