#pragma once
// How the standard classes look; not for plug-ins or tests.

namespace xphost::internal {

struct Widget;

// Draws a standard widget (not its children) in the current frame.
void drawStandardWidget(const Widget &widget);

} // namespace xphost::internal
