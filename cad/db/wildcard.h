#pragma once

#include <string_view>

namespace zavin::cad {

// The host's wildcard patterns, as selection filters use them:
//   *  any sequence (also empty)     ?  any one character
//   #  a digit                       @  a letter (any non-ASCII character counts)
//   .  a character that is neither letter nor digit
//   [abc], [a-z]  one of the class   [~abc]  one character not in the class
//   `x  the character x literally    ,  separates alternatives
//   ~  at the start of an alternative: matches what the rest does not
// Texts are compared as UTF-8 characters. A '[' without its ']' is literal.
bool WildcardMatch(std::string_view pattern, std::string_view text, bool ignore_case = true);

}  // namespace zavin::cad
