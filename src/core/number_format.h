#pragma once
// Numbers written as text, byte for byte as the C library prints them in the "C" locale,
// whatever locale the process runs under. Any plug-in in the simulator's process may call
// setlocale; a comma as the decimal point in the settings file, the export files or a field
// would make them unreadable. Nothing here calls printf or reads the locale.
//
// Infinities and not-a-number are spelled "inf", "-inf", "nan" and "-nan" (a NaN whose sign bit
// is set), as the GNU C library prints them, on every platform.

#include <cstddef>

// Room for one value in fixed notation with up to nine decimals: a sign, the 39 integer digits
// of the largest float, the point and the decimals, with room to spare.
constexpr std::size_t kMaxFixedFloatChars = 64;

// Writes value, widened to double, as "%.<decimals>f" prints it (decimals from 0 to 9; six is
// "%f"), at out without a terminator, and returns the end. out must have room for
// kMaxFixedFloatChars characters. The exact binary value is rounded half to even, as printf
// rounds it.
char *writeFixedFloat(char *out, float value, int decimals = 6);

// "%<width>.<decimals>f" of value into out (size bytes, always terminated when size > 0),
// right-aligned with blanks; returns the length of the whole text, as snprintf does, even when
// it had to be cut to fit.
int formatFixedFloat(char *out, std::size_t size, float value, int decimals, int width);
