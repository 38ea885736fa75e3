#pragma once
// The screen: an offscreen OpenGL compatibility-profile context (EGL on Mesa), drawn in the
// widget library's coordinates (pixels, origin bottom left, y upward), and pictures of it.
//
// The Windows build of the host has no context: Debian has no mingw builds of EGL, libpng or
// FreeType. There ensureGraphics is false with the reason, drawFrame and the captures report a
// host error and give empty pictures, and the PNG functions fail; text has the metrics of a
// fixed-width stand-in font (7 pixels a character). Everything else behaves as on Linux.

#include <cstdint>
#include <string>
#include <vector>

#include "xphost/widgets.h"

namespace xphost {

// Screen size in pixels (default 1280 x 800). Changing it recreates the drawing surface.
void setScreenSize(int width, int height);
int screenWidth();
int screenHeight();

// True once an OpenGL context could be made current; false (with the reason) when EGL or
// Mesa is missing. The driver draws on the calling thread and starts no threads of its own
// (unless LP_NUM_THREADS or MESA_SHADER_CACHE_DISABLE are set otherwise in the environment), so
// a process that draws still ends with its own threads only.
bool ensureGraphics(std::string *error = nullptr);

// Clears the screen to the desktop colour and draws every visible root widget, back to front,
// with its children. Each widget's paint starts from the screen projection and from whatever
// graphics state the drawing before it left, as in the simulator; the host never tidies it.
// What the host guarantees about that state:
// - A frame starts hostile: texturing on with a texture bound, blending on, an odd see-through
//   colour. Depth, lighting, fog and alpha test are off.
// - During a plug-in's draw the state changes only through the plug-in's own calls:
//   XPLMSetGraphicsState (fog, texture units, lighting, alpha test, blending, depth test, depth
//   writes; the blend function is always source alpha over) and raw GL. The host's drawing calls
//   XPLMDrawTranslucentDarkBox and XPDrawTrack set what they need and then leave texturing on
//   with a texture bound and blending on, as the simulator's UI drawing does.
// - The host's own drawing of standard widgets, text and tracks sets the state it needs itself,
//   so it looks the same whatever a plug-in left behind; a standard widget, like the dark box
//   and the track, leaves texturing on with a texture bound and blending on.
// GL errors raised while a widget draws, a glBegin it leaves open, and GL errors raised between
// frames are host errors.
void drawFrame();

// RGBA pixels; row 0 is the top row of the picture.
struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgba;
    // The pixel at screen-style coordinates inside the picture: x from the left, y from the
    // picture's bottom row upward. nullptr outside the picture.
    const std::uint8_t *at(int x, int y) const;
};

// Draws a frame and reads back the whole screen, or one rectangle of it in global coordinates,
// all four edges included (so a widget's picture is right - left + 1 pixels wide); the part of a
// rectangle beyond the screen is transparent black. A line drawn at integer coordinate (x, y)
// lights the pixel (x, y): the projection puts integer coordinates on pixel centres.
// A picture the process has no memory for is a host error and an empty picture.
Image captureScreen();
Image captureRect(const WidgetRect &rect);
Image captureWindow(XPWidgetID window);

// Both return false with the reason (also when memory runs out); neither throws.
bool writePng(const Image &image, const std::string &path, std::string *error = nullptr);
bool readPng(const std::string &path, Image *image, std::string *error = nullptr);

} // namespace xphost
