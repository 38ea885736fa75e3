#pragma once
// Text from outside the plug-in (a settings file, a path) goes into the simulator's log only
// through here, so that one bad byte cannot garble the log for everything after it.

#include <cstddef>

// Copies text into out (outSize bytes, always NUL-terminated when outSize > 0). Printable ASCII,
// backslash included, and valid UTF-8 sequences are kept; control bytes, DEL and bytes that are
// not part of a valid UTF-8 sequence are written as \xNN. Returns the length written.
std::size_t escapeLogText(const char *text, char *out, std::size_t outSize);
