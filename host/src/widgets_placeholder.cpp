// Placeholder until the widget library lands.
#include "host_internal.h"

namespace xphost::internal {
void resetWidgets() {}
void resetScreen() {}
} // namespace xphost::internal
