#include "hosted_sievan.h"

#include "corvell_ids.h"

namespace rosterly {

SavedControl hostedSievan() {
    return {CLSID_Sievan, 635, 582};
}

}  // namespace rosterly
