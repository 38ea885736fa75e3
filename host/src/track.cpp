// Scroll tracks: their metrics and their drawing.
//
// The simulator does not document its track metrics; ours are simple and exact:
// - A track is vertical when it is taller than it is wide; a horizontal track's down end is its
//   left end, a vertical track's its bottom end. "Length" is x2 - x1 (horizontal) or y1 - y2
//   (vertical), "thickness" the other difference.
// - Scroll bar: the down and up buttons are each `thickness` long (at most a third of the
//   length each), the thumb is `thickness` long too (at most what the buttons leave), and the
//   rest is split into the down page and the up page in the ratio (value - min) / (max - min),
//   rounded to the nearest pixel, with the value clamped to [min, max]. When max <= min the
//   thumb sits at the down end. The five sizes always add up to the length.
// - Slider: no buttons; the same thumb and pages.
// - Progress: no buttons and no thumb; the down page is the filled part.
// Drawing covers the rectangle with all its edges: buttons with arrows, the page area and the
// thumb, all brighter when lit. It sets the plain state it draws in and leaves the state the
// simulator's textured UI drawing leaves (texturing on with a texture bound, blending on).
#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "XPUIGraphics.h"
#include "host_internal.h"
#include "ui_draw.h"

namespace xphost::internal {
namespace {

struct TrackMetrics {
    bool vertical = false;
    int downButton = 0;
    int downPage = 0;
    int thumb = 0;
    int upPage = 0;
    int upButton = 0;
};

TrackMetrics measureTrack(int x1, int y1, int x2, int y2, int minimum, int maximum, int value,
                          XPTrackStyle style) {
    TrackMetrics metrics;
    const int width = std::abs(x2 - x1);
    const int height = std::abs(y1 - y2);
    metrics.vertical = height > width;
    const int length = metrics.vertical ? height : width;
    const int thickness = metrics.vertical ? width : height;
    const bool hasButtons = style == xpTrack_ScrollBar;
    const bool hasThumb = style != xpTrack_Progress;
    if (hasButtons) metrics.downButton = metrics.upButton = std::min(thickness, length / 3);
    int rest = length - metrics.downButton - metrics.upButton;
    if (hasThumb) metrics.thumb = std::min(thickness, rest);
    rest -= metrics.thumb;
    if (maximum > minimum) {
        const std::int64_t clamped = std::clamp(value, minimum, maximum);
        const std::int64_t span = static_cast<std::int64_t>(maximum) - minimum;
        const std::int64_t scaled = (rest * (clamped - minimum) * 2 + span) / (2 * span);
        metrics.downPage = static_cast<int>(scaled);
    }
    metrics.upPage = rest - metrics.downPage;
    return metrics;
}

Colour shade(float level, bool lit) {
    const float value = lit ? std::min(level + 0.2f, 1.0f) : level;
    return Colour{value * 0.92f, value * 0.96f, value, 1.0f};
}

} // namespace
} // namespace xphost::internal

WIDGET_API void XPGetTrackMetrics(int inX1, int inY1, int inX2, int inY2, int inMin, int inMax,
                                  int inValue, XPTrackStyle inTrackStyle, int *outIsVertical,
                                  int *outDownBtnSize, int *outDownPageSize, int *outThumbSize,
                                  int *outUpPageSize, int *outUpBtnSize) {
    xphost::internal::checkMainThread(__func__);
    const auto metrics =
        xphost::internal::measureTrack(inX1, inY1, inX2, inY2, inMin, inMax, inValue, inTrackStyle);
    if (outIsVertical != nullptr) *outIsVertical = metrics.vertical ? 1 : 0;
    if (outDownBtnSize != nullptr) *outDownBtnSize = metrics.downButton;
    if (outDownPageSize != nullptr) *outDownPageSize = metrics.downPage;
    if (outThumbSize != nullptr) *outThumbSize = metrics.thumb;
    if (outUpPageSize != nullptr) *outUpPageSize = metrics.upPage;
    if (outUpBtnSize != nullptr) *outUpBtnSize = metrics.upButton;
}

WIDGET_API void XPDrawTrack(int inX1, int inY1, int inX2, int inY2, int inMin, int inMax,
                            int inValue, XPTrackStyle inTrackStyle, int inLit) {
    xphost::internal::checkMainThread(__func__);
    using namespace xphost::internal;
    if (!requireFrame("XPDrawTrack")) return;
    const TrackMetrics m =
        measureTrack(inX1, inY1, inX2, inY2, inMin, inMax, inValue, inTrackStyle);
    const bool lit = inLit != 0;
    const int left = std::min(inX1, inX2), right = std::max(inX1, inX2);
    const int bottom = std::min(inY1, inY2), top = std::max(inY1, inY2);
    applyPlainState();
    fillRect(left, top, right, bottom, shade(0.16f, false));
    outlineRect(left, top, right, bottom, shade(0.38f, false));
    // Each part spans [start, start + size] along the track, its far edge shared with the next.
    auto part = [&](int start, int size, auto draw) {
        if (size <= 0) return;
        if (m.vertical)
            draw(left, bottom + start + size, right, bottom + start);
        else
            draw(left + start, top, left + start + size, bottom);
    };
    const Colour arrow = shade(lit ? 0.95f : 0.82f, false);
    const int inset = std::max(3, (m.vertical ? right - left : top - bottom) / 4);
    auto button = [&](ArrowDirection direction) {
        return [&, direction](int l, int t, int r, int b) {
            bevelRect(l, t, r, b, shade(0.34f, lit), false);
            fillArrow(l + inset, t - inset, r - inset, b + inset, direction, arrow);
        };
    };
    int at = 0;
    part(at, m.downButton, button(m.vertical ? ArrowDirection::Down : ArrowDirection::Left));
    at += m.downButton;
    const Colour filled = shade(0.30f, lit);
    if (inTrackStyle == xpTrack_Progress)
        part(at, m.downPage, [&](int l, int t, int r, int b) { fillRect(l, t, r, b, filled); });
    at += m.downPage;
    part(at, m.thumb, [&](int l, int t, int r, int b) {
        bevelRect(l, t, r, b, shade(lit ? 0.70f : 0.55f, false), false);
    });
    at += m.thumb + m.upPage;
    part(at, m.upButton, button(m.vertical ? ArrowDirection::Up : ArrowDirection::Right));
    leaveUserInterfaceState();
}
