// The members of _Sievan in one table: dispatch, persistence keys and
// change-notification names all come from here.
#pragma once

#include <span>
#include <string_view>

#include "corvell_ids.h"

namespace corvell {

enum class MemberKind { Method, TextProperty, BooleanProperty };

struct SievanMember {
    DISPID id;
    const char16_t* name;  // member name; for properties also the bag key and notification name
    MemberKind kind;
};

// In the order the control saves and loads its settings (properties), then
// the methods.
std::span<const SievanMember> sievanMembers();

const SievanMember* findMember(DISPID id);
// Names compare without regard to ASCII case, as late-binding clients expect.
const SievanMember* findMember(std::u16string_view name);

}  // namespace corvell
