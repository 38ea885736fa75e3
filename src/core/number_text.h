#pragma once
// Numbers read back from text that a user typed, into a window's field or the settings file.
// Both roads read alike, so a factor means the same wherever it was written. Both read as in
// the "C" locale whatever locale the process has: the point is always the decimal point.

#include <cstdint>

// A whole number as atoi reads it (leading white space, optional sign, decimal digits; 0 for
// none), except that a number beyond the 32-bit range is held at its nearest end instead of
// being undefined behaviour.
int32_t readWholeNumber(const char *text);

// A decimal number: leading white space skipped, then the longest prefix that forms a decimal
// number with optional sign, fraction and exponent; 0 when there is none. For decimal text this
// is exactly what atof gives. Text that atof would read as infinity, not-a-number or a
// hexadecimal number is read for its decimal prefix alone ("inf" gives 0, "-0x10" gives -0), so
// it cannot poison a recording; a number beyond the float range is held at the largest float of
// its sign, where converting atof's result would be undefined.
float readDecimalNumber(const char *text);
