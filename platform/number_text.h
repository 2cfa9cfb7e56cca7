// Numbers in dialog boxes, written and read the same way whatever the
// locale: a '.' decimal point and no digit grouping.
#pragma once

#include <string>

// As printf's "%.*g" with `precision` significant digits.
std::string AfxFormatDouble(double value, int precision);

// A decimal number ([sign] digits [. digits] [e [sign] digits]) with
// nothing but blanks before and after it. A value beyond the range of a
// double gives an infinity, one too small a zero, as strtod does.
bool AfxParseDouble(const char* text, double& value);

// A decimal integer in the range of int, blanks around it allowed.
bool AfxParseInt(const char* text, int& value);
