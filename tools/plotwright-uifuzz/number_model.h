#pragma once
// How the model reads numbers typed into the setup window: the way the plug-in must read them,
// and no further. Where a correct plug-in may read a text either way the answer is "unknown"
// (nullopt), and the model stops predicting what depends on it.

#include <optional>
#include <string>

namespace plotwright_uifuzz {

// The longest decimal number (optional sign, fraction, exponent) after leading white space, as a
// 32-bit float; 0 when there is none. Unknown for a text longer than the 255 bytes a field is
// read back through, a number beyond a float's range, or a text that strtod reads as
// hexadecimal, an infinity or a NaN (the plug-in's reader reads decimals only; atof would not).
std::optional<float> readScalingText(const std::string &text);

// The longest decimal integer after leading white space; 0 when there is none. Unknown for a
// text longer than 255 bytes or a number outside a 32-bit int.
std::optional<long long> readIndexText(const std::string &text);

// printf's "%f" of a float widened to double.
std::string formatFloat(float value);

} // namespace plotwright_uifuzz
