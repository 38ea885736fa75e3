// The screen where the host has no OpenGL context (the Windows build: Debian has no mingw
// builds of EGL, libpng or FreeType). The screen's size is kept, but nothing is drawn: asking
// for graphics says why, and a frame or a picture is a host error, so a test that needs the
// screen fails loudly instead of passing on an empty picture.
#include <string>

#include "host_internal.h"
#include "ui_draw.h"
#include "xphost/host.h"
#include "xphost/screen.h"

namespace xphost {
namespace {

constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 800;
constexpr int kLargestSide = 16384;
constexpr char kNoContext[] =
    "this host build has no OpenGL context (no EGL, libpng or FreeType for this platform)";

struct Screen {
    int width = kDefaultWidth;
    int height = kDefaultHeight;
};

Screen &screen() {
    static Screen instance;
    return instance;
}

} // namespace

const std::uint8_t *Image::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width || y >= Height) return nullptr;
    return &Rgba[(static_cast<std::size_t>(Height - 1 - y) * Width + x) * 4];
}

void setScreenSize(int width, int height) {
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
        reportHostError("setScreenSize: " + std::to_string(width) + " x " + std::to_string(height) +
                        " is not a usable screen size");
        return;
    }
    screen().width = width;
    screen().height = height;
}

int screenWidth() { return screen().width; }
int screenHeight() { return screen().height; }

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
    screen().width = kDefaultWidth;
    screen().height = kDefaultHeight;
}

} // namespace internal
} // namespace xphost
