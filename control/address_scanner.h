// Cutting one line of text down to one e-mail address: the pure part of the control's Extract.
#pragma once

#include <string_view>

namespace corvell {

// The entry test of Extract: the text holds an '@' with a '.' somewhere after it (the wildcard
// shape "*@*.*").
bool hasAddressShape(std::u16string_view text);

// The cleaning loop of Extract, in linear time and constant memory.
//
// The loop it stands for runs passes until one changes nothing. A pass empties a text that has
// lost the address shape, then applies the first of these rules that holds, each removing one
// unit from an end:
//   1-21  a left delimiter stands somewhere before an '@'         -> remove the first unit
//   22    the text starts with '@'                                -> remove the last unit
//   23    the text ends with '@'                                  -> remove the last unit
//   24-44 a right delimiter stands somewhere after an '@'         -> remove the last unit
//   45    the text ends with '-' and has the shape before it      -> remove the last unit
//   46    the text ends with '.' with an '@' before it            -> remove the last unit
//   47    the text ends with ';' with an '@' before it            -> remove the last unit
// Left delimiters:  , space : " < > ` .. / ; \ + = | ( ) & ^ % ~ $
// Right delimiters: , space : " < > ` \ .. / + = | ( ) & ^ % ! $ ~
// ".." is two full stops in a row; a single '.' is never a delimiter.
//
// Works on any text: one without the address shape gives the empty text. The result is always
// empty or a contiguous piece of `text` (it views into `text`).
std::u16string_view cleanAddress(std::u16string_view text);

}  // namespace corvell
