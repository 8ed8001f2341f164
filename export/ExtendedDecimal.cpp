#include "export/ExtendedDecimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

// Where 0.d1d2… × 10^e leaves the extended range (largest about 1.19e4932, smallest about
// 3.6e-4951); checked first so that strtold only ever sees a short exponent.
constexpr long long kAboveLargest = 4933;
constexpr long long kBelowSmallest = -4951;

// The "C" locale, so that a host whose numbers use a comma never changes how the digits read.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

} // namespace

std::optional<long double> extendedFromDecimal(const DecimalParts& parts) {
    std::string digits;
    digits.reserve(parts.integerDigits.size() + parts.fractionDigits.size());
    digits.append(parts.integerDigits);
    digits.append(parts.fractionDigits);
    // Value = 0.digits × 10^pointExponent once the leading zeros are gone.
    long long pointExponent = static_cast<long long>(parts.integerDigits.size()) + parts.exponent;
    const auto firstSignificant = digits.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return 0.0L;
    digits.erase(0, firstSignificant);
    pointExponent -= static_cast<long long>(firstSignificant);
    if (pointExponent > kAboveLargest)
        return std::nullopt;
    if (pointExponent < kBelowSmallest)
        return 0.0L;

    const std::string text =
        (parts.negative ? "-0." : "0.") + digits + 'e' + std::to_string(pointExponent);
    char* end = nullptr;
    const long double value = strtold_l(text.c_str(), &end, cLocale());
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

RoundedDecimal roundedDecimal(long double value, int significant) {
    RoundedDecimal result;
    if (value == 0.0L)
        return result;
    result.negative = std::signbit(value);

    // "d.ddddddddddddddddde±x": 18 significant digits, exact then rounded to nearest.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific, 17);
    const std::string_view text(buffer, written.ptr - buffer);
    const auto e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e))
        if (c >= '0' && c <= '9')
            digits += c;
    int exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;

    const bool roundUp = digits[significant] >= '5';
    digits.resize(significant);
    if (roundUp) {
        int i = significant - 1;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    result.digits = std::move(digits);
    result.exponent = exponent;
    return result;
}
