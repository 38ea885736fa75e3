#include "core/app_state.h"

// Placeholder until the dataref reader lands.
float AppState::readChannel(int, int) { return 0.0f; }
