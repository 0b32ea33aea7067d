// Whole-text wildcard matching, the one text test used by every filter, cleaning rule and
// repeat check of the control.
#pragma once

#include <string_view>

namespace corvell {

enum class MatchResult { NoMatch, Match, InvalidPattern };

// Matches the whole of `text` against `pattern`, one UTF-16 code unit at a time, comparing units
// by their code (case-sensitive, no folding).
//
//   '*'       any run of units, also the empty run
//   '?'       exactly one unit
//   '#'       one digit '0'..'9'
//   "[list]"  one unit that is in the list
//   "[!list]" one unit that is not in the list
//   any other unit matches itself (so does a ']' outside a list)
//
// Inside a list every unit is literal except:
//   - a '!' right after the '[' negates the list;
//   - the first ']' closes the list, so "[]" is an empty list that matches no unit at all and
//     "[!]" matches any one unit;
//   - "x-y" between two units is the inclusive range x..y; a '-' first or last in the list (also
//     right after the '!') is a literal '-'.
//
// The pattern is checked as a whole before any unit of the text is looked at, so the answer
// InvalidPattern does not depend on the text. It is invalid when a '[' outside a list has no ']'
// after it, or when a list holds a reversed range such as "[z-a]" (a range "a-a" is valid).
//
// Time is O(text * pattern) in the worst case and memory is constant: a '*' never causes more
// than one retry per text position.
MatchResult wildcardMatch(std::u16string_view text, std::u16string_view pattern);

}  // namespace corvell
