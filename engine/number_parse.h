// Strict decimal numbers for the numeric fields of SKI records.
#pragma once

#include <string_view>

namespace delvaro {

// True when `field` is, as a whole, a finite decimal number: an optional
// sign, digits with at most one decimal point and at least one digit, and an
// optional exponent (e or E, an optional sign, digits). `value` is then the
// nearest double, as atof gives it (a value too small for a double gives a
// zero of its sign). Anything else, or a value too large, gives false.
bool ParseDecimalNumber(std::string_view field, double& value);

}  // namespace delvaro
