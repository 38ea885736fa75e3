#pragma once
// Text from outside the plug-in (names read from the settings file, file paths) made safe for
// the simulator's log: one bad file must not garble Log.txt or a terminal that shows it.

#include <cstddef>

// Copies text into out, which holds outSize bytes and is always terminated (when outSize > 0).
// Printable ASCII (backslash included, so Windows paths read as they are) and well-formed UTF-8
// sequences are copied as they are. Every control byte (below 0x20), DEL and every byte that is
// not part of a well-formed UTF-8 sequence (stray continuation bytes, cut or overlong sequences,
// surrogates, code points beyond U+10FFFF) is written as \xNN with two upper-case hex digits.
// When out is too small the text is cut before the first character or escape that does not fit
// whole, so the result is always well-formed UTF-8. Returns the length written, without the NUL.
// A null text is written as the empty text.
std::size_t escapeLogText(const char *text, char *out, std::size_t outSize);

// Room for any escaped text of `length` bytes and its NUL.
constexpr std::size_t escapedLogTextSize(std::size_t length) { return 4 * length + 1; }
