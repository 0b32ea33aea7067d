// Classes served by a library beside the running program, without registration. A program
// names the library file of each class it hosts; activation of such a class, when the per-user
// registry does not record it, loads that one file from the program's directory and nothing
// else there.
#pragma once

#include <string>
#include <vector>

#include "com/unknwn.h"

namespace com {

// Records that the library `fileName` beside the running program serves `clsid`. `fileName` is
// a bare file name ("libX.so"): E_INVALIDARG for an empty one or one holding a '/'. A later
// call for the same class replaces the name.
HRESULT AddLocalServer(REFCLSID clsid, const std::string& fileName);

// The library path activation of `clsid` tries, as it would now find it: the path the per-user
// registry records for the class (which it refuses unless absolute), else the known library
// beside the program. Empty when neither exists; for messages that say what was looked for.
std::vector<std::string> ServerPathsFor(REFCLSID clsid);

}  // namespace com
