// Numbers as the programs write and read them in their texts.
#pragma once

#include <cstdint>
#include <string>

// Decimal with up to 15 significant digits, trailing zeros and a bare
// decimal point dropped, no digit before the point for |x| < 1 (".5"), and a
// leading blank for a number that is not negative ("-" otherwise).
// 45296.12 -> " 45296.12", 0.5 -> " .5", 0 -> " 0", -3 -> "-3".
std::string NumberToText(double value);

// The number at the start of a text: leading blanks, tabs, CR and LF are
// skipped, then the longest decimal number is read; 0 when none follows.
double NumberAtStart(const std::string& text);

// NumberAtStart rounded to the nearest integer and kept as signed 16 bits.
int16_t FieldAtStart(const std::string& text);
