#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qvr {

// The whole text as a decimal 32-bit integer: an optional sign followed by
// digits, nothing else. Anything else, overflow included, gives def.
int32_t StrToIntDef(std::string_view s, int32_t def);

// The whole text as a real with "." as decimal separator, whatever the
// user's locale: optional sign, digits with an optional fraction, an optional
// exponent. No blanks, no inf/nan, no hex. A number too small for a 64-bit
// real reads as zero. Anything else, a number too large for a 64-bit real
// included, throws EConvertError "'<s>' is not a valid floating point value".
double StrToFloatDot(const std::string& s);

// The general real format with 15 significant digits: no trailing zeros, a
// decimal separator only when there is a fraction, fixed notation when the
// value is zero or its magnitude is at least 0.0001 with at most 15 digits
// before the separator, scientific notation otherwise (1E-5, 1.5E20).
std::string FormatGeneral(double v, char decimalSeparator);

// The number FormatGeneral shows: `v` rounded to 15 significant digits, so that data formats
// hold the value a reader sees (4.6, not the 4.6000000000000005 a scale computed). Whole
// numbers below 1E15 and values that are not finite are returned as they are.
double ShownNumber(double v);

// The decimal separator of the user's locale; '.' when it is not available.
char UserDecimalSeparator();

} // namespace qvr
