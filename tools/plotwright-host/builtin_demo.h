#pragma once
// The demo flight compiled into the runner, so `plotwright-host` alone flies it.

namespace plotwright_host {
const char *builtinDemoScenario();
// The folder the demo came from, for paths inside it.
const char *builtinDemoFolder();
} // namespace plotwright_host
