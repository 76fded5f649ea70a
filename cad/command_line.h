#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zavin::cad {

// Splits command-line text into the inputs the host reads from it. Every
// blank or carriage return ends one input; one that ends nothing is an empty
// input (a bare Enter): "MOVE\rPRE\r\r" gives MOVE, PRE, "". A parenthesised
// (command ...) expression yields its arguments, quotes removed; other
// expressions such as (princ) yield nothing.
std::vector<std::string> CommandInputs(std::string_view text);

// The command name without the "_" (untranslated), "-" (no dialog) and "."
// (built-in) prefixes, upper-cased: "_-BOUNDARY" gives "BOUNDARY".
std::string CommandKey(std::string_view name);

}  // namespace zavin::cad
