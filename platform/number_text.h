#pragma once

// Numbers as the tool sends and writes them (command lines, records, labels,
// tables, drawing files, settings): '.' as the decimal sign and no grouping,
// whatever the locale of the process. Non-finite values read "nan", "inf"
// and "-inf".

#include <string>

namespace zavin::platform {

// Fixed notation with exactly `decimals` decimals (0 and up), like "%.*f".
std::string FixedText(double value, int decimals);

// The shortest text that reads back as exactly `value`.
std::string ShortestText(double value);

// At most `digits` significant digits, fixed or scientific whichever is
// shorter, like "%.*g".
std::string SignificantText(double value, int digits);

}  // namespace zavin::platform
