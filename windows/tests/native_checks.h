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
// The library's version block: version 3.00, marked self-registering.
// `label` prefixes the checks' names.
void checkVersionBlock(const std::wstring& path, const std::string& label);
// A library built for another pointer size, read as data: its resources and
// its type library, which must describe the same types as `reference`'s.
void compareLibraries(const std::wstring& library, const std::wstring& reference);
