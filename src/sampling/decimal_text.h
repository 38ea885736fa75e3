#pragma once
// Numbers typed into fields: leading white space skipped, then the longest prefix that forms a
// decimal number with optional sign, fraction and exponent; 0.0 when there is none. Hexadecimal
// forms, "inf" and "nan" are not decimal numbers and read as 0.0.

#include <cstddef>

// Reads at most `size` bytes of `text`, stopping earlier at a NUL: a buffer filled to the brim
// by the widget library carries no terminator.
double parseLeadingDecimal(const char *text, std::size_t size);
