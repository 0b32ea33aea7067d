// The Windows facts of Corvell's one control class.
#include "corvell_ids.h"
#include "ole_control_facts.h"

const OleControlFacts* FindOleControlFacts(REFCLSID clsid) {
    static constexpr OleControlFacts kSievan = {SIEVAN_MISC_STATUS, SIEVAN_ICON_BITMAP};
    return IsEqualCLSID(clsid, CLSID_Sievan) ? &kSievan : nullptr;
}
