// The scroll track along the widget's foot: page and step clicks, thumb drags and release.

#include <cmath>

#include "XPUIGraphics.h"
#include "graph/graph_view.h"
#include "graph/graph_widget.h"

namespace {
struct TrackMetrics {
    int DownButton;
    int DownPage;
    int Thumb;
    int UpPage;
    int UpButton;
};

bool inTrackBand(const GraphView &view, const XPMouseState_t *mouse) {
    if (mouse == nullptr) return false;
    return view.Left <= mouse->x && mouse->x <= view.Right && view.Bottom <= mouse->y &&
           mouse->y <= view.Bottom + kGraphTrackBandHeight;
}

TrackMetrics trackMetrics(const GraphView &view) {
    TrackMetrics metrics{};
    int isVertical = 0;
    XPGetTrackMetrics(view.Left, view.Bottom + kGraphTrackBandHeight, view.Right, view.Bottom,
                      clampToInt(view.MinPosition), clampToInt(view.MaxPosition),
                      clampToInt(view.Position), xpTrack_ScrollBar, &isVertical,
                      &metrics.DownButton, &metrics.DownPage, &metrics.Thumb, &metrics.UpPage,
                      &metrics.UpButton);
    return metrics;
}

// Region bounds are summed in 64 bits: the metrics come from the host and are not ours to trust.
bool between(long long low, int x, long long high) { return low <= x && x <= high; }
} // namespace

void handleGraphMouseDown(const GraphView &view, const XPMouseState_t *mouse) {
    if (!inTrackBand(view, mouse)) return;
    const TrackMetrics m = trackMetrics(view);
    const intptr_t minPosition = graphProperty(view.Widget, graphProp_MinPosition);
    const intptr_t maxPosition = graphProperty(view.Widget, graphProp_MaxPosition);
    const long long left = view.Left;
    const long long right = view.Right;
    const int x = mouse->x;

    // The order decides shared borders: a click on a page region's edge pages.
    if (between(right - m.UpButton - m.UpPage, x, right - m.UpButton)) {
        setGraphProperty(view.Widget, graphProp_Position,
                         smallerPosition(saturatingAdd(view.Position, view.PageStep), maxPosition));
    } else if (between(left + m.DownButton, x, left + m.DownButton + m.DownPage)) {
        setGraphProperty(
            view.Widget, graphProp_Position,
            largerPosition(saturatingSubtract(view.Position, view.PageStep), minPosition));
    } else if (between(right - m.UpButton, x, right)) {
        setGraphProperty(view.Widget, graphProp_Position,
                         smallerPosition(saturatingAdd(view.Position, 1), maxPosition));
    } else if (between(left, x, left + m.DownButton)) {
        setGraphProperty(view.Widget, graphProp_Position,
                         largerPosition(saturatingSubtract(view.Position, 1), minPosition));
    } else if (between(left + m.DownButton + m.DownPage, x, right - m.UpButton - m.UpPage)) {
        setGraphProperty(view.Widget, graphProp_Dragging, 1);
    } else {
        setGraphProperty(view.Widget, xpProperty_Hilited, 0);
    }
}

intptr_t graphDragPosition(int pointerX, int left, int right, int downButton, int thumb,
                           int upButton, intptr_t minPosition, intptr_t maxPosition) {
    const long long halfThumb = thumb / 2;
    const long long numerator = static_cast<long long>(pointerX) - halfThumb - downButton - left;
    const long long denominator =
        static_cast<long long>(right) - left - downButton - upButton - 2 * halfThumb;
    if (denominator == 0) return minPosition;
    const float ratio = static_cast<float>(numerator) / static_cast<float>(denominator);
    // The product stays in single precision like the ratio: a pointer exactly on a half step
    // (7/10 of the travel over 5 samples) then rounds up, where the exact product of the
    // already rounded ratio would fall just short of the half.
    const float scaled = ratio * static_cast<float>(maxPosition);
    const double wanted = roundHalfUp(static_cast<double>(scaled));
    if (!std::isfinite(wanted)) return minPosition;
    // Compared while still a double, so the conversion only ever sees values in range.
    intptr_t position;
    if (wanted <= static_cast<double>(minPosition))
        position = minPosition;
    else if (wanted >= static_cast<double>(maxPosition))
        position = maxPosition;
    else
        position = static_cast<intptr_t>(wanted);
    return position > maxPosition ? maxPosition : position;
}

void handleGraphMouseDrag(const GraphView &view, const XPMouseState_t *mouse) {
    if (!inTrackBand(view, mouse)) return;
    const TrackMetrics m = trackMetrics(view);
    const intptr_t minPosition = graphProperty(view.Widget, graphProp_MinPosition);
    const intptr_t maxPosition = graphProperty(view.Widget, graphProp_MaxPosition);
    if (view.Dragging == 0) return;
    setGraphProperty(view.Widget, graphProp_Position,
                     graphDragPosition(mouse->x, view.Left, view.Right, m.DownButton, m.Thumb,
                                       m.UpButton, minPosition, maxPosition));
}

// The widget library sends the release to the widget that took the press, wherever the pointer
// is: a thumb let go off the band must end the drag too, or the track stays lit and the next
// press-and-move in the band scrolls although the thumb was never grabbed.
void handleGraphMouseUp(const GraphView &view, const XPMouseState_t *) {
    setGraphProperty(view.Widget, graphProp_Dragging, 0);
}
