#include "core/app_state.h"

// Placeholder until the graph window lands.
void AppState::switchSet(int) {}
void AppState::refreshSetViews() {}
