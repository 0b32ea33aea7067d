// Shared by the native client's checks: reporting and text helpers.
#pragma once

#include <string>
#include <string_view>

#include "corvell_ids.h"

// Prints "PASS: native: <what>" or "FAIL: native: <what>: <detail>" and
// counts the failure.
void check(bool ok, const std::string& what, const std::string& detail = {});
// ASCII text of a UTF-16 text, for messages.
std::string narrow(std::u16string_view text);
std::string hex(long value);

// Late-bound calls through Invoke: a text put, a get (as text; "<failed>"
// when it fails), and a method call without arguments.
HRESULT putText(IDispatch* control, DISPID id, const char16_t* value);
std::u16string getText(IDispatch* control, DISPID id);
HRESULT call(IDispatch* control, DISPID id, EXCEPINFO* error);

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
// GetTypeInfo, GetIDsOfNames and Invoke agree member by member;
// IProvideClassInfo2 gives the class and its source interface.
void checkTypeInformationAndClass(IDispatch* control);
// The control in a container made of plain OLE calls.
void checkOleContainer();
// The control in the system's own ActiveX host window.
void checkAtlHost();
// Allocations inside the library that fail on purpose.
void checkFailingAllocations(IDispatch* control);
