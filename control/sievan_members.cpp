#include "sievan_members.h"

namespace corvell {

namespace {

constexpr SievanMember kMembers[] = {
    {DISPID_SIEVAN_DONE, u"Done", MemberKind::BooleanProperty},
    {DISPID_SIEVAN_FILTER, u"Filter", MemberKind::TextProperty},
    {DISPID_SIEVAN_ADDRESS, u"Address", MemberKind::TextProperty},
    {DISPID_SIEVAN_DUPLICATES, u"Duplicates", MemberKind::TextProperty},
    {DISPID_SIEVAN_COUNT, u"Count", MemberKind::TextProperty},
    {DISPID_SIEVAN_FILTERED, u"Filtered", MemberKind::TextProperty},
    {DISPID_SIEVAN_CLEAN, u"Clean", MemberKind::Method},
    {DISPID_SIEVAN_EXTRACT, u"Extract", MemberKind::Method},
};

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

}  // namespace

std::span<const SievanMember> sievanMembers() {
    return kMembers;
}

const SievanMember* findMember(DISPID id) {
    for (const SievanMember& member : kMembers)
        if (member.id == id) return &member;
    return nullptr;
}

const SievanMember* findMember(std::u16string_view name) {
    for (const SievanMember& member : kMembers)
        if (sameName(member.name, name)) return &member;
    return nullptr;
}

}  // namespace corvell
