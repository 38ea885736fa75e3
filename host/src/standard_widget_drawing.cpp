// How the standard classes look.
#include "standard_widget_drawing.h"

#include "ui_draw.h"
#include "widget_tree.h"

namespace xphost::internal {

void drawStandardWidget(const Widget &widget) {
    fillRect(widget.left, widget.top, widget.right, widget.bottom, Colour{0.5f, 0.5f, 0.5f, 1.0f});
}

} // namespace xphost::internal
