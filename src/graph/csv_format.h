#pragma once
// The text of the export files: every value as the C library's "%f" prints the float widened
// to double, eight to a line, separated by a comma and a blank.

#include <cstddef>

// Room for one value: a sign, the 39 integer digits of the largest float, the point and six
// decimals, with plenty to spare for the platform's spelling of infinities and NaN.
constexpr std::size_t kMaxFixedFloatChars = 64;
constexpr int kCsvRowValues = 8;
constexpr std::size_t kMaxCsvRowChars = kCsvRowValues * (kMaxFixedFloatChars + 2);

// Writes the "%f" text of value at out (no terminator) and returns the end. out must have room
// for kMaxFixedFloatChars characters.
char *writeFixedFloat(char *out, float value);

// Writes one line of kCsvRowValues values ended by a line feed and returns the end. out must
// have room for kMaxCsvRowChars characters.
char *writeCsvRow(char *out, const float *values);
