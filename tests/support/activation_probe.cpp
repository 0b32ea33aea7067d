// A library that lies beside the test programs and serves no class: loading it leaves a mark
// in the environment, so a test can tell whether activation opened it.
#include <cstdlib>

#include "com/unknwn.h"

namespace {

[[gnu::constructor]] void markLoaded() {
    ::setenv("ACTIVATION_PROBE_LOADED", "1", 1);
}

}  // namespace

extern "C" [[gnu::visibility("default")]] HRESULT DllGetClassObject(REFCLSID, REFIID,
                                                                    void** object) {
    *object = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}
