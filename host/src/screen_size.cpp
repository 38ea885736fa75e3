// The screen's size and the pixel lookup of a picture: the same in every host build, with or
// without an OpenGL context.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host_internal.h"
#include "xphost/host.h"
#include "xphost/screen.h"

namespace xphost {
namespace {

constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 800;
constexpr int kLargestSide = 16384;

struct ScreenSize {
    int width = kDefaultWidth;
    int height = kDefaultHeight;
};

ScreenSize &screenSize() {
    static ScreenSize instance;
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
    screenSize().width = width;
    screenSize().height = height;
}

int screenWidth() { return screenSize().width; }
int screenHeight() { return screenSize().height; }

namespace internal {
void resetScreenSize() { screenSize() = ScreenSize{}; }
} // namespace internal
} // namespace xphost
