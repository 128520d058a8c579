// Numbers as the programs write them in their texts.
#include "number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int SIGNIFICANT_DIGITS = 15;

// Plain decimal of a finite, non-negative value, 15 significant digits.
std::string PlainDecimal(double magnitude)
{
    // "d.dddddddddddddde+XX": the rounded digits and the decimal exponent.
    char scientific[40];
    snprintf(scientific, sizeof scientific, "%.*e", SIGNIFICANT_DIGITS - 1, magnitude);

    std::string digits;
    const char* p = scientific;
    for (; *p != 'e' && *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += *p;
    }
    const int exponent = (*p == 'e') ? atoi(p + 1) : 0;

    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0")
        return "0";

    // digits represent 0.d1d2d3... times 10^(exponent + 1).
    const int integerDigits = exponent + 1;
    std::string whole;
    std::string fraction;
    if (integerDigits <= 0) {
        fraction.assign(static_cast<size_t>(-integerDigits), '0');
        fraction += digits;
    } else if (static_cast<size_t>(integerDigits) >= digits.size()) {
        whole = digits;
        whole.append(static_cast<size_t>(integerDigits) - digits.size(), '0');
    } else {
        whole = digits.substr(0, static_cast<size_t>(integerDigits));
        fraction = digits.substr(static_cast<size_t>(integerDigits));
    }
    return fraction.empty() ? whole : whole + "." + fraction;
}

} // namespace

// Blank or minus, then the plain decimal of the magnitude. A value that is
// not finite is written as the C library writes it ("inf", "nan").
std::string NumberToText(double value)
{
    const std::string sign = (value < 0) ? "-" : " ";
    if (!std::isfinite(value)) {
        char text[16];
        snprintf(text, sizeof text, "%g", std::fabs(value));
        return sign + text;
    }
    return sign + PlainDecimal(std::fabs(value));
}
