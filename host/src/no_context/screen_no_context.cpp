// The screen where the host has no OpenGL context (the Windows build: Debian has no mingw
// builds of EGL, libpng or FreeType). The screen's size is kept (screen_size.cpp), but nothing is
// drawn: asking for graphics says why, and a frame or a picture is a host error, so a test that
// needs the screen fails loudly instead of passing on an empty picture.
#include <string>

#include "host_internal.h"
#include "ui_draw.h"
#include "xphost/host.h"
#include "xphost/screen.h"

namespace xphost {
namespace {

constexpr char kNoContext[] =
    "this host build has no OpenGL context (no EGL, libpng or FreeType for this platform)";

} // namespace

bool ensureGraphics(std::string *error) {
    if (error != nullptr) *error = kNoContext;
    return false;
}

void drawFrame() { reportHostError(std::string("drawFrame: ") + kNoContext); }

Image captureScreen() {
    drawFrame();
    return {};
}

Image captureRect(const WidgetRect &) {
    drawFrame();
    return {};
}

Image captureWindow(XPWidgetID) {
    drawFrame();
    return {};
}

bool writePng(const Image &, const std::string &, std::string *error) {
    if (error != nullptr) *error = kNoContext;
    return false;
}

bool readPng(const std::string &, Image *, std::string *error) {
    if (error != nullptr) *error = kNoContext;
    return false;
}

namespace internal {

bool graphicsContextCurrent() { return false; }

void resetScreen() {
    setFrameOpen(false);
    resetScreenSize();
}

} // namespace internal
} // namespace xphost
