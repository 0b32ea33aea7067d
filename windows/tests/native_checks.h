// Shared by the native client's checks: reporting and text helpers.
#pragma once

#include <string>
#include <string_view>

// Prints "PASS: native: <what>" or "FAIL: native: <what>: <detail>" and
// counts the failure.
void check(bool ok, const std::string& what, const std::string& detail = {});
// ASCII text of a UTF-16 text, for messages.
std::string narrow(std::u16string_view text);
std::string hex(long value);

// The type library's attributes, interfaces and members.
void checkTypeLibrary(bool registered);
// The class's registry entries and the library's version block.
void checkRegistry(bool registered);
