#pragma once
// The text of the export files: every value as the C library's "%f" prints the float widened
// to double in the "C" locale, eight to a line, separated by a comma and a blank.

#include <cstddef>

#include "core/number_format.h"

constexpr int kCsvRowValues = 8;
constexpr std::size_t kMaxCsvRowChars = kCsvRowValues * (kMaxFixedFloatChars + 2);

// Writes one line of kCsvRowValues values ended by a line feed and returns the end. out must
// have room for kMaxCsvRowChars characters.
char *writeCsvRow(char *out, const float *values);
