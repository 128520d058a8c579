// Numbers as the programs write them in their texts.
#pragma once

#include <cstdint>
#include <string>

// Decimal with up to 15 significant digits, trailing zeros and a bare
// decimal point dropped, no digit before the point for |x| < 1 (".5"), and a
// leading blank for a number that is not negative ("-" otherwise).
// 45296.12 -> " 45296.12", 0.5 -> " .5", 0 -> " 0", -3 -> "-3".
std::string NumberToText(double value);
