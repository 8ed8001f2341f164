// Exact conversions between decimal digits and the 80-bit extended type, free of any locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A decimal number split into its parts, as the readers found it: the value is
// sign × integerDigits.fractionDigits × 10^exponent. Digits are ASCII '0'..'9'; either digit
// string may be empty.
struct DecimalParts {
    bool negative = false;
    std::string_view integerDigits;
    std::string_view fractionDigits;
    // Already saturated by the reader: anything beyond ±10^12 behaves the same.
    long long exponent = 0;
};

// The extended value nearest to 'parts' (round to nearest, like the processor's own load).
// Returns nullopt when the magnitude lies beyond the largest extended value; a magnitude below
// the smallest one reads as zero.
std::optional<long double> extendedFromDecimal(const DecimalParts& parts);

// A finite value v written as sign × 0.d1d2…dn × 10^exponent, with d1 not zero, at most
// 'significant' digits, rounded half up and with trailing zeros dropped. Zero has no digits.
struct RoundedDecimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// Rounds half up on the decimal digits of an 18-digit expansion (nearest, as the processor's
// decimal store gives it), not on the binary value: an input of up to 18 significant digits
// round-trips through the extended type, so "…5" in the 16th digit still rounds up.
// Requires 1 <= significant <= 17 and a finite value.
RoundedDecimal roundedDecimal(long double value, int significant);
