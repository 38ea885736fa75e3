#include "core/app_state.h"

// Placeholder until the sampler lands: keeps the 0.01 s rhythm and does nothing else.
float AppState::onFlightLoop(float, float, int, void *) { return 0.01f; }
